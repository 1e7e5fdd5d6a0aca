#include "xls/XlsStringTable.h"

#include "model/WorkbookDocument.h"
#include "xls/XlsLayout.h"

#include <QHash>
#include <cstring>

XlsStringTable::XlsStringTable(const WorkbookDocument &document, const XlsLayout &layout)
{
    const int count = document.sharedStrings.size();
    // Macro and dialog sheets, and modules, were not read: their cells may
    // use any string, so then every string stays where it is.
    bool everySheetRead = layout.boundSheets == document.sheets.size();
    for (const SheetModel *sheet : document.sheets)
        everySheetRead = everySheetRead && sheet->kind != SheetModel::OtherSheet;
    m_kept.fill(everySheetRead ? Dropped : 0, count);
    int written = 0;
    for (const SheetModel *sheet : document.sheets) {
        for (const auto &row : sheet->cells.rows()) {
            for (const Cell &cell : row.second.cells) {
                if (cell.type == Cell::SharedString)
                    m_kept[cell.index] = 0;
                written += cell.type == Cell::Text && cell.changed ? 1 : 0;
            }
        }
    }
    // Sized once for every text the save may add, rather than grown from a
    // thousand slots, each time placing every text again.
    m_added.reserve(written);
    int slotCount = 1024;
    while (slotCount < 2 * written + 2 && slotCount < (1 << 30))
        slotCount *= 2;
    m_slots.fill(0, slotCount);
    for (quint32 &kept : m_kept) {
        if (kept != Dropped)
            kept = m_keptCount++;
    }
    m_renumbers = m_keptCount != quint32(count);
}

quint32 XlsStringTable::addedIndex(const TextPool &pool, int index)
{
    int length = 0;
    const char *bytes = pool.bytes(index, &length);
    const uint hash = qHashBits(bytes, size_t(length));
    if (quint32(m_added.size()) * 2 >= quint32(m_slots.size()))
        grow();
    const quint32 mask = quint32(m_slots.size()) - 1;
    for (quint32 slot = hash & mask;; slot = (slot + 1) & mask) {
        const quint32 taken = m_slots.at(int(slot));
        if (taken == 0) {
            m_added.append({&pool, index, hash});
            m_slots[int(slot)] = quint32(m_added.size());
            return m_keptCount + quint32(m_added.size()) - 1;
        }
        const Added &other = m_added.at(int(taken) - 1);
        if (other.hash != hash)
            continue; // without fetching the other text's bytes
        int otherLength = 0;
        const char *otherBytes = other.pool->bytes(other.index, &otherLength);
        if (otherLength == length && std::memcmp(otherBytes, bytes, size_t(length)) == 0)
            return m_keptCount + taken - 1;
    }
}

void XlsStringTable::prefetch(const TextPool &pool, int index) const
{
    int length = 0;
    const char *bytes = pool.bytes(index, &length);
    const quint32 mask = quint32(m_slots.size()) - 1;
    __builtin_prefetch(m_slots.constData() + (qHashBits(bytes, size_t(length)) & mask));
}

void XlsStringTable::grow()
{
    m_slots.fill(0, qMax(1024, m_slots.size() * 2));
    const quint32 mask = quint32(m_slots.size()) - 1;
    for (int i = 0; i < m_added.size(); ++i) {
        quint32 slot = m_added.at(i).hash & mask;
        while (m_slots.at(int(slot)) != 0)
            slot = (slot + 1) & mask;
        m_slots[int(slot)] = quint32(i) + 1;
    }
}
