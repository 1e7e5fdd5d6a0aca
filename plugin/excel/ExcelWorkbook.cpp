#include "excel/ExcelWorkbook.h"

#include "AutomationClient.h"
#include "excel/ExcelSheets.h"

namespace Excel {

Workbook::Workbook(AutomationClient *client) : Object(client) {}

QString Workbook::Path()
{
    return client() ? client()->dynamicCall("Path()").toString() : QString();
}

Excel::Sheets *Workbook::Sheets()
{
    return new Excel::Sheets(client() ? client()->querySubObject("Sheets") : nullptr);
}

AutomationClient *Workbook::ActiveSheet()
{
    return client() ? client()->querySubObject("ActiveSheet") : nullptr;
}

bool Workbook::Save()
{
    return client() && client()->dynamicCall("Save()").toBool();
}

void Workbook::Close()
{
    if (client())
        client()->dynamicCall("Close()");
}

} // namespace Excel
