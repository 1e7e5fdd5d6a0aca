#ifndef EXCELRANGE_H
#define EXCELRANGE_H

#include "excel/ExcelObject.h"

#include <QVariant>

namespace Excel {

// A cell or a block of cells of a worksheet.
class Range : public Object
{
    Q_OBJECT
public:
    explicit Range(AutomationClient *client);

    Excel::Range *Rows();
    Excel::Range *Columns();
    int Count();
    // The block's name, such as "B2:D4" (or "$B$2:$D$4"); where it begins.
    QVariant Address();
    // The displayed text of the first cell.
    QVariant Text();
    // The cell now holds exactly this text.
    void SetValue(const QVariant &value);
    void ClearContents();
    // The application's own replace over the range; what, replacement, look-at
    // (1 whole, 2 part), search order (1 rows, 2 columns), match case.
    bool Replace(const QVariant &what, const QVariant &replacement, const QVariant &lookAt,
                 const QVariant &searchOrder, const QVariant &matchCase);
};

} // namespace Excel

#endif // EXCELRANGE_H
