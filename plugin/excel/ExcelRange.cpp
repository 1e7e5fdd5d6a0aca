#include "excel/ExcelRange.h"

#include "AutomationClient.h"

namespace Excel {

Range::Range(AutomationClient *client) : Object(client) {}

Excel::Range *Range::Rows()
{
    return new Excel::Range(client() ? client()->querySubObject("Rows") : nullptr);
}

Excel::Range *Range::Columns()
{
    return new Excel::Range(client() ? client()->querySubObject("Columns") : nullptr);
}

int Range::Count()
{
    return client() ? client()->dynamicCall("Count()").toInt() : 0;
}

QVariant Range::Address()
{
    return client() ? client()->dynamicCall("Address()") : QVariant();
}

QVariant Range::Text()
{
    static const MemberSignature member("Text()");
    return client() ? client()->dynamicCall(member) : QVariant();
}

void Range::SetValue(const QVariant &value)
{
    if (client())
        client()->setProperty("Value", value);
}

void Range::ClearContents()
{
    if (client())
        client()->dynamicCall("ClearContents()");
}

bool Range::Replace(const QVariant &what, const QVariant &replacement, const QVariant &lookAt,
                    const QVariant &searchOrder, const QVariant &matchCase)
{
    static const MemberSignature member("Replace(const QVariant&, const QVariant&, const "
                                        "QVariant&, const QVariant&, const QVariant&)");
    return client() &&
           client()
               ->dynamicCall(member, {what, replacement, lookAt, searchOrder, matchCase})
               .toBool();
}

} // namespace Excel
