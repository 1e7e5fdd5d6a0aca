#include "excel/ExcelWorksheet.h"

#include "AutomationClient.h"
#include "excel/ExcelRange.h"

namespace Excel {

Worksheet::Worksheet(AutomationClient *client) : Object(client) {}

Excel::Range *Worksheet::UsedRange()
{
    return new Excel::Range(client() ? client()->querySubObject("UsedRange") : nullptr);
}

Excel::Range *Worksheet::Range(const QVariant &cell)
{
    static const MemberSignature member("Range(const QVariant&)");
    return new Excel::Range(client() ? client()->querySubObject(member, cell) : nullptr);
}

} // namespace Excel
