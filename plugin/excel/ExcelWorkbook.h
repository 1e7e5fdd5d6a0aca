#ifndef EXCELWORKBOOK_H
#define EXCELWORKBOOK_H

#include "excel/ExcelObject.h"

#include <QString>

namespace Excel {

class Sheets;

// One open workbook.
class Workbook : public Object
{
    Q_OBJECT
public:
    explicit Workbook(AutomationClient *client);

    QString Path();
    Excel::Sheets *Sheets();
    // The bare sheet object; the caller wraps it in a new Worksheet. It holds
    // nothing when there is no active sheet (null only from a null wrapper).
    AutomationClient *ActiveSheet();
    // Whether the workbook was written in place.
    bool Save();
    void Close();
};

} // namespace Excel

#endif // EXCELWORKBOOK_H
