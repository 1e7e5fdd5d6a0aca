#ifndef EXCELWORKBOOKS_H
#define EXCELWORKBOOKS_H

#include "excel/ExcelObject.h"

#include <QString>

namespace Excel {

class Workbook;

// The application's collection of open workbooks.
class Workbooks : public Object
{
    Q_OBJECT
public:
    explicit Workbooks(AutomationClient *client);

    // The workbook at the full path; isNull() when it cannot be opened.
    Excel::Workbook *Open(const QString &fileName);
};

} // namespace Excel

#endif // EXCELWORKBOOKS_H
