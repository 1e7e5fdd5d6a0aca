#ifndef EXCELSHEETS_H
#define EXCELSHEETS_H

#include "excel/ExcelObject.h"

#include <QVariant>

namespace Excel {

// Every sheet of a workbook, chart sheets included, numbered from 1.
class Sheets : public Object
{
    Q_OBJECT
public:
    explicit Sheets(AutomationClient *client);

    int Count();
    // The bare sheet object of sheet index (a number from 1); the caller
    // wraps it in a new Worksheet. Holds nothing outside 1..Count().
    AutomationClient *Item(const QVariant &index);
};

} // namespace Excel

#endif // EXCELSHEETS_H
