#ifndef WORKBOOKBUDGET_H
#define WORKBOOKBUDGET_H

#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>

// What the jobs of a run may hold open at once: at most `workbooks` workbooks,
// whose estimated memory costs together stay within `bytes`. A job asks for
// its share before it opens its workbook and gives it back once the workbook
// is closed, whether the file could be opened or not. Shares are granted in
// the order they were asked for, so a large workbook is not overtaken for
// ever by small ones. A workbook that costs more than the whole budget is
// granted it all once nothing else is held, and runs alone; so every share
// is granted in the end, as long as every granted share comes back. The
// budget must outlive its shares.
class WorkbookBudget
{
public:
    // A granted share; it goes back to its budget when destroyed, or before
    // through release(). A large one sends the memory freed meanwhile back
    // to the system first.
    class Share
    {
    public:
        ~Share();
        Share(const Share &) = delete;
        Share &operator=(const Share &) = delete;
        void release();

    private:
        friend class WorkbookBudget;
        Share(WorkbookBudget *budget, qint64 bytes);
        WorkbookBudget *m_budget;
        qint64 m_bytes;
    };

    WorkbookBudget(qint64 bytes, int workbooks);
    WorkbookBudget(const WorkbookBudget &) = delete;
    WorkbookBudget &operator=(const WorkbookBudget &) = delete;

    // A quarter of the machine's memory, and one workbook per core: more
    // workbooks at once make no run faster, they only hold more memory.
    static std::unique_ptr<WorkbookBudget> forMachine();
    // What a run is expected to hold while it rewrites the file at path;
    // nothing for a file that is not there.
    static qint64 costOf(const QString &path);

    // Blocks until a share of cost fits beside the shares held, and every
    // share asked for before has been granted.
    std::unique_ptr<Share> acquire(qint64 cost);

private:
    void giveBack(qint64 bytes);

    const qint64 m_bytes;
    const int m_workbooks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qint64 m_heldBytes = 0;
    int m_heldWorkbooks = 0;
    // Tickets in the order shares were asked for; the next to be granted.
    quint64 m_nextTicket = 0;
    quint64 m_serving = 0;
};

#endif // WORKBOOKBUDGET_H
