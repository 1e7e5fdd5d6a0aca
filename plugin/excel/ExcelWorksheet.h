#ifndef EXCELWORKSHEET_H
#define EXCELWORKSHEET_H

#include "excel/ExcelObject.h"

#include <QVariant>

namespace Excel {

class Range;

// One sheet of a workbook (a chart sheet answers no ranges).
class Worksheet : public Object
{
    Q_OBJECT
public:
    // Wraps a bare sheet object from Workbook::ActiveSheet or Sheets::Item.
    explicit Worksheet(AutomationClient *client);

    // The used cells; isNull() when there are none to give (a chart sheet).
    Excel::Range *UsedRange();
    // A cell such as "B3" or a block such as "A1:C3".
    Excel::Range *Range(const QVariant &cell);
};

} // namespace Excel

#endif // EXCELWORKSHEET_H
