#include "excel/ExcelWorkbooks.h"

#include "AutomationClient.h"
#include "excel/ExcelWorkbook.h"

namespace Excel {

Workbooks::Workbooks(AutomationClient *client) : Object(client) {}

Excel::Workbook *Workbooks::Open(const QString &fileName)
{
    return new Excel::Workbook(client() ? client()->querySubObject("Open(const QString&)", fileName)
                                        : nullptr);
}

} // namespace Excel
