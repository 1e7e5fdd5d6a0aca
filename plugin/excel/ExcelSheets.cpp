#include "excel/ExcelSheets.h"

#include "AutomationClient.h"

namespace Excel {

Sheets::Sheets(AutomationClient *client) : Object(client) {}

int Sheets::Count()
{
    return client() ? client()->dynamicCall("Count()").toInt() : 0;
}

AutomationClient *Sheets::Item(const QVariant &index)
{
    return client() ? client()->querySubObject("Item(const QVariant&)", index) : nullptr;
}

} // namespace Excel
