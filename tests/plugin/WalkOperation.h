#ifndef WALKOPERATION_H
#define WALKOPERATION_H

#include "excel/ExcelRange.h"
#include "excel/ExcelWorksheet.h"
#include "operations/TextOperation.h"

#include <QStringList>

#include <functional>

// An operation that walks the chosen sheets with a given cell edit, noting
// the name of each sheet it was given and each text it saw.
class WalkOperation : public TextOperation
{
    Q_OBJECT
public:
    using TextOperation::CountedSheets;
    using TextOperation::PlainSheets;
    using TextOperation::SheetDetail;
    using TextOperation::TracedSheets;

    WalkOperation(const QString &path, const QString &sheetIndex, SheetDetail detail,
                  std::function<void(QString &)> edit)
        : TextOperation(path, nullptr)
        , m_sheetIndex(sheetIndex)
        , m_detail(detail)
        , m_edit(std::move(edit))
    {
    }

    QString process() override
    {
        finished = forEachSheet(m_sheetIndex, m_detail, [this](const SheetScope &scope) {
            sheetNames << scope.sheet->client()->dynamicCall("Name").toString();
            firstCells << cellName(scope.firstRow, scope.firstColumn);
            if (m_edit) {
                walkCells(scope, [this](QString &text) {
                    seen << text;
                    m_edit(text);
                });
                // Only the used range is left under the sheet: every cell's
                // wrapper went when its cell was done.
                leftOver = scope.sheet->client()->findChildren<Excel::Range *>().size();
            }
            return true;
        });
        return QString();
    }

    QStringList sheetNames;
    QStringList firstCells;
    QStringList seen;
    int leftOver = -1;
    bool finished = false;

private:
    QString m_sheetIndex;
    SheetDetail m_detail;
    std::function<void(QString &)> m_edit;
};

#endif // WALKOPERATION_H
