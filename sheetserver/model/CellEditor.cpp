#include "model/CellEditor.h"

#include "model/OwnThread.h"
#include "model/SharedStringUses.h"
#include "model/SheetModel.h"
#include "model/WildcardPattern.h"
#include "model/WorkbookDocument.h"

#include <QRegularExpression>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 MaxBlockWrite = 1 << 20;

struct Position
{
    int row;
    int column;
};

// What a Replace makes of the cells of one piece of the rows, in order, in
// a bit a cell: a changed cell takes the next text of the piece's own pool,
// unless it is among the few that become a number or empty.
struct PieceChanges
{
    struct Special
    {
        int cell; // its place among the piece's cells
        bool emptied;
        double number;
    };
    TextPool texts;
    std::vector<bool> changed;
    QVector<Special> specials;
};

// A shared string whose every cell lies in the block, and what becomes of
// it.
struct StringPlan
{
    enum Outcome : quint8 { Unchanged, Rewritten, Emptied };
    int index;  // into the shared strings
    int inside; // its cells, every one in the block
    Outcome outcome;
};

// The new texts of the strings a piece of the plans rewrote.
struct StringChanges
{
    std::vector<int> indexes;
    TextPool texts;
};

// The Replace of a text a pool holds, its new text going into a pool of
// the piece. Plain text matched with case is worked on the stored bytes,
// without a text made on the way.
class TextReplace
{
public:
    enum Outcome { Unchanged, Changed, Emptied };
    TextReplace(const WildcardPattern &pattern, const QString &replacement,
                const QByteArray &storedReplacement)
        : m_pattern(pattern), m_replacement(replacement), m_storedReplacement(storedReplacement)
    {
        m_stored.reserve(256); // kept from one text to the next
    }
    Outcome replace(const TextPool &pool, int index, TextPool *texts)
    {
        if (!m_pattern.isPlain()) {
            const QString before = pool.at(index);
            QString after;
            if (!m_pattern.replace(before, m_replacement, &after) || after == before)
                return Unchanged;
            if (after.isEmpty())
                return Emptied;
            texts->append(after);
            return Changed;
        }
        int length = 0;
        const char *bytes = pool.bytes(index, &length);
        if (!m_pattern.replaceStored(bytes, length, m_storedReplacement, &m_stored) ||
            (m_stored.size() == length &&
             std::memcmp(m_stored.constData(), bytes, size_t(length)) == 0))
            return Unchanged;
        if (m_stored.isEmpty())
            return Emptied;
        texts->appendUtf8(m_stored.constData(), m_stored.size());
        return Changed;
    }

private:
    const WildcardPattern &m_pattern;
    const QString &m_replacement;
    const QByteArray &m_storedReplacement;
    QByteArray m_stored;
};

bool replaceable(const Cell &cell, const CellBlock &block)
{
    return cell.column >= block.left && cell.column <= block.right &&
           cell.formula == Cell::NoFormula && cell.type != Cell::Blank && cell.type != Cell::Error;
}

} // namespace

CellEditor::CellEditor(WorkbookDocument *document, SheetModel *sheet)
    : m_document(document), m_sheet(sheet)
{
}

bool CellEditor::setText(const CellBlock &block, const QString &text)
{
    if (text.isEmpty()) {
        clearContents(block);
        return true;
    }
    if (block.cells() > MaxBlockWrite)
        return false;
    for (int r = block.top; r <= block.bottom; ++r) {
        for (int c = block.left; c <= block.right; ++c) {
            const Cell *cell = m_sheet->cells.find(r, c);
            if (cell && cell->formula == Cell::NoFormula && cell->type == Cell::SharedString &&
                m_document->sharedStrings.equals(cell->index, text))
                continue;
            m_sheet->setText(r, c, text);
        }
    }
    return true;
}

void CellEditor::clearContents(const CellBlock &block)
{
    QVector<Position> targets;
    auto &rows = m_sheet->cells.rows();
    for (auto it = rows.lower_bound(block.top); it != rows.end() && it->first <= block.bottom;
         ++it) {
        for (const Cell &cell : it->second.cells) {
            if (cell.column >= block.left && cell.column <= block.right)
                targets.append({it->first, cell.column});
        }
    }
    for (const Position &p : qAsConst(targets))
        m_sheet->clearContents(p.row, p.column);
}

bool CellEditor::parsePlainNumber(const QString &text, double *value)
{
    static const QRegularExpression plain(
        QStringLiteral("\\A[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\z"));
    if (!plain.match(text).hasMatch())
        return false;
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok;
}

int CellEditor::replace(const CellBlock &block, const QString &what, const QString &replacement,
                        int lookAt, int searchOrder, bool matchCase)
{
    // Each cell's new text depends on its own text alone, so the order of
    // the visits changes nothing that stays, and the cells are worked out in
    // pieces of rows at once, each piece into texts of its own; the cells
    // change afterwards, piece by piece, on this thread.
    //
    // A shared string whose every cell lies in the block changes the same
    // way for all of them: it is worked out once and changed in place, and
    // its cells keep it (their sheet stays as the file has it). Its cells
    // are found by taking the block's cells off each string's count; a
    // string left with none is claimed, its count standing for its plan
    // (-1 - place) until the cells have changed.
    Q_UNUSED(searchOrder)
    const WildcardPattern pattern(what, lookAt == 1, matchCase);
    if (!pattern.isValid())
        return 0;
    auto &rows = m_sheet->cells.rows();
    const auto first = rows.lower_bound(block.top);
    const auto last = rows.upper_bound(block.bottom);
    SharedStringUses *stringUses = m_document->sharedStringUses();
    int *const uses = stringUses ? stringUses->counts() : nullptr;
    const uint strings = uint(m_document->sharedStrings.size());
    const auto onString = [uses, strings](const Cell &cell) {
        return uses && cell.type == Cell::SharedString && uint(cell.index) < strings;
    };
    // The block's cells counted, and taken off their strings, in pieces of
    // rows side by side; rows of two pieces may share a string.
    const auto countBounds = m_sheet->cells.cutRows(block.top, block.bottom);
    const bool sharedUses = countBounds.size() > 2;
    const std::vector<std::pair<qint64, qint64>> counted =
        OwnThread::each(int(countBounds.size()) - 1, [&](int piece) {
            std::pair<qint64, qint64> found{0, 0}; // cells, of them on strings
            for (auto it = countBounds[size_t(piece)]; it != countBounds[size_t(piece) + 1]; ++it) {
                for (const Cell &cell : it->second.cells) {
                    if (!replaceable(cell, block))
                        continue;
                    ++found.first;
                    if (!onString(cell))
                        continue;
                    ++found.second;
                    SharedStringUses::add(uses[cell.index], -1, sharedUses);
                }
            }
            return found;
        });
    qint64 cells = 0;
    qint64 onStrings = 0;
    for (const auto &found : counted) {
        cells += found.first;
        onStrings += found.second;
    }
    const int pieces =
        int(qBound<qint64>(1, cells / SheetCells::CellsPerThread, OwnThread::share()));
    // Where each piece begins, the rows holding its share of the cells, and
    // how many it holds: what a piece keeps is sized once, so that no thread
    // leaves a trail of outgrown copies behind.
    std::vector<SheetCells::Rows::iterator> bounds{first};
    std::vector<int> counts{0};
    std::vector<int> alone{0}; // of them, cells not on a claimed string
    std::vector<StringPlan> plans;
    // As many as the cells on strings may claim: most often every one.
    plans.reserve(size_t(qMin<qint64>(onStrings, strings)));
    qint64 seen = 0;
    for (auto it = first; it != last; ++it) {
        if (int(bounds.size()) < pieces && it != bounds.back() &&
            seen >= cells * qint64(bounds.size()) / pieces) {
            bounds.push_back(it);
            counts.push_back(0);
            alone.push_back(0);
        }
        for (const Cell &cell : it->second.cells) {
            if (!replaceable(cell, block))
                continue;
            ++counts.back();
            ++seen;
            if (!onString(cell) || uses[cell.index] > 0) {
                ++alone.back();
                continue;
            }
            int &left = uses[cell.index];
            if (left == 0) {
                plans.push_back({cell.index, 1, StringPlan::Unchanged});
                left = -int(plans.size());
            } else if (left < 0) {
                ++plans[size_t(-left - 1)].inside;
            }
        }
    }
    bounds.push_back(last);

    const QByteArray replacementStored =
        pattern.isPlain() ? TextPool::stored(replacement) : QByteArray();

    // The claimed strings, each once, in pieces of their own.
    const int planPieces =
        plans.empty() ? 0
                      : int(qBound<qint64>(1, qint64(plans.size()) / SheetCells::CellsPerThread,
                                           OwnThread::share()));
    std::vector<StringChanges> rewritten = OwnThread::each(planPieces, [&](int piece) {
        StringChanges result;
        const size_t from = plans.size() * size_t(piece) / size_t(planPieces);
        const size_t to = plans.size() * size_t(piece + 1) / size_t(planPieces);
        result.indexes.reserve(to - from);
        result.texts.reserve(int(to - from));
        TextReplace texts(pattern, replacement, replacementStored);
        for (size_t k = from; k < to; ++k) {
            StringPlan &plan = plans[k];
            switch (texts.replace(m_document->sharedStrings, plan.index, &result.texts)) {
            case TextReplace::Unchanged:
                break;
            case TextReplace::Emptied: // an emptied cell holds no text: its cells are emptied
                plan.outcome = StringPlan::Emptied;
                break;
            case TextReplace::Changed:
                plan.outcome = StringPlan::Rewritten;
                result.indexes.push_back(plan.index);
                break;
            }
        }
        return result;
    });

    std::vector<PieceChanges> made = OwnThread::each(int(bounds.size()) - 1, [&](int piece) {
        PieceChanges result;
        TextReplace texts(pattern, replacement, replacementStored);
        result.changed.reserve(size_t(counts.at(size_t(piece))));
        result.texts.reserve(alone.at(size_t(piece)));
        for (auto it = bounds.at(size_t(piece)); it != bounds.at(size_t(piece) + 1); ++it) {
            for (const Cell &cell : it->second.cells) {
                if (!replaceable(cell, block))
                    continue;
                const int at = int(result.changed.size());
                if (onString(cell) && uses[cell.index] < 0) {
                    const bool emptied =
                        plans[size_t(-uses[cell.index] - 1)].outcome == StringPlan::Emptied;
                    result.changed.push_back(emptied);
                    if (emptied)
                        result.specials.append({at, true, 0});
                    continue;
                }
                if (cell.type == Cell::Text || cell.type == Cell::SharedString) {
                    const TextPool &pool =
                        cell.type == Cell::Text ? m_sheet->texts : m_document->sharedStrings;
                    const TextReplace::Outcome outcome =
                        texts.replace(pool, cell.index, &result.texts);
                    result.changed.push_back(outcome != TextReplace::Unchanged);
                    if (outcome == TextReplace::Emptied)
                        result.specials.append({at, true, 0});
                    continue;
                }
                const QString before = m_document->valueText(*m_sheet, cell);
                QString after;
                double number = 0;
                const bool changed =
                    pattern.replace(before, replacement, &after) && after != before;
                result.changed.push_back(changed);
                if (!changed)
                    continue;
                if (after.isEmpty())
                    result.specials.append({at, true, 0});
                else if (cell.type == Cell::Number && parsePlainNumber(after, &number))
                    result.specials.append({at, false, number});
                else
                    result.texts.append(after);
            }
        }
        return result;
    });

    int replaced = 0;
    // Gathered a row at a time: a change may not touch the list it walks.
    std::vector<QPair<int, int>> changedColumns; // column, place in the piece
    for (size_t piece = 0; piece < made.size(); ++piece) {
        PieceChanges &changes = made.at(piece);
        int text = m_sheet->texts.take(std::move(changes.texts));
        int at = 0;
        int special = 0;
        for (auto it = bounds.at(piece); it != bounds.at(piece + 1); ++it) {
            const int row = it->first;
            changedColumns.clear();
            for (const Cell &cell : it->second.cells) {
                if (!replaceable(cell, block))
                    continue;
                // The cell counts again; should it change, the change
                // takes it off.
                if (onString(cell) && uses[cell.index] > 0)
                    ++uses[cell.index];
                if (changes.changed.at(size_t(at)))
                    changedColumns.push_back({cell.column, at});
                ++at;
            }
            for (const auto &change : changedColumns) {
                const bool isSpecial = special < changes.specials.size() &&
                                       changes.specials.at(special).cell == change.second;
                if (!isSpecial)
                    m_sheet->setPooledText(row, change.first, text++);
                else if (changes.specials.at(special).emptied)
                    m_sheet->clearContents(row, change.first);
                else
                    m_sheet->setNumber(row, change.first, changes.specials.at(special).number);
                special += isSpecial ? 1 : 0;
                ++replaced;
            }
        }
        changes = PieceChanges();
    }
    for (const StringPlan &plan : plans) {
        uses[plan.index] = plan.outcome == StringPlan::Emptied ? 0 : plan.inside;
        replaced += plan.outcome == StringPlan::Rewritten ? plan.inside : 0;
    }
    for (StringChanges &changes : rewritten)
        m_document->rewriteSharedStrings(changes.indexes, std::move(changes.texts));
    return replaced;
}
