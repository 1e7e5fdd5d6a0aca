#include "run/WorkbookBudget.h"

#include "run/WorkbookCost.h"
#include "server/SpreadsheetServer.h"

#include <QThread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Returning freed memory walks every arena of the allocator; below this cost a
// workbook leaves too little behind to be worth it.
constexpr qint64 WorthReturning = qint64(16) << 20;

// The allocator keeps what a closed workbook freed in the arenas of the
// threads that used it, and a run's jobs come to new threads of the pool: the
// next workbook would find little of it and take more from the system.
void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

WorkbookBudget::Share::Share(WorkbookBudget *budget, qint64 bytes)
    : m_budget(budget), m_bytes(bytes)
{
}

WorkbookBudget::Share::~Share()
{
    release();
}

void WorkbookBudget::Share::release()
{
    if (!m_budget)
        return;
    if (m_bytes >= WorthReturning)
        returnFreedMemory();
    m_budget->giveBack(m_bytes);
    m_budget = nullptr;
}

WorkbookBudget::WorkbookBudget(qint64 bytes, int workbooks)
    : m_bytes(qMax<qint64>(1, bytes)), m_workbooks(qMax(1, workbooks))
{
}

std::unique_ptr<WorkbookBudget> WorkbookBudget::forMachine()
{
    return std::make_unique<WorkbookBudget>(SpreadsheetServer::memoryBytes() / 4,
                                            QThread::idealThreadCount());
}

qint64 WorkbookBudget::costOf(const QString &path)
{
    return WorkbookCost::of(path);
}

std::unique_ptr<WorkbookBudget::Share> WorkbookBudget::acquire(qint64 cost)
{
    // Every workbook costs something, so nothing fits beside one that took
    // the whole budget.
    const qint64 bytes = qBound<qint64>(1, cost, m_bytes);
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 ticket = m_nextTicket++;
    m_changed.wait(lock, [&] {
        return ticket == m_serving && (m_heldWorkbooks == 0 || (m_heldWorkbooks < m_workbooks &&
                                                                m_heldBytes + bytes <= m_bytes));
    });
    ++m_serving;
    m_heldBytes += bytes;
    ++m_heldWorkbooks;
    // The next ticket may fit as well.
    m_changed.notify_all();
    return std::unique_ptr<Share>(new Share(this, bytes));
}

void WorkbookBudget::giveBack(qint64 bytes)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_heldBytes -= bytes;
        --m_heldWorkbooks;
    }
    m_changed.notify_all();
}
