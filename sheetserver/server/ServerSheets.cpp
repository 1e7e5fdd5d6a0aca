#include "server/ServerSheets.h"

#include "server/ServerWorksheet.h"

ServerSheets::ServerSheets(OpenWorkbookPtr workbook) : m_workbook(std::move(workbook)) {}

QVariant ServerSheets::invoke(const MemberSignature &member, const QVariantList &arguments,
                              bool *known)
{
    const bool open = m_workbook->isOpen();
    if (is(member, arguments, "Count"))
        return open ? m_workbook->document().sheetCount() : 0;
    if (is(member, arguments, "Item", 1)) {
        if (!open)
            return ServerObject::objectValue(ServerObjectPtr());
        WorkbookDocument &document = m_workbook->document();
        const QVariant &key = arguments.at(0);
        bool number = false;
        int index = key.toInt(&number) - 1;
        for (int i = 0; !number && i < document.sheetCount(); ++i) {
            if (document.sheet(i)->name.compare(key.toString(), Qt::CaseInsensitive) == 0)
                index = i;
        }
        if (index < 0 || index >= document.sheetCount())
            return ServerObject::objectValue(ServerObjectPtr());
        return ServerObject::objectValue(std::make_shared<ServerWorksheet>(m_workbook, index));
    }
    return unknown(known);
}

bool ServerSheets::put(const QByteArray &, const QVariant &)
{
    return false;
}
