#include "server/ServerWorkbooks.h"

#include "server/ServerWorkbook.h"

#include <QDebug>
#include <algorithm>

QVariant ServerWorkbooks::invoke(const MemberSignature &member, const QVariantList &arguments,
                                 bool *known)
{
    if (is(member, arguments, "Open", 1)) {
        const QString path = arguments.at(0).toString();
        QString why;
        std::unique_ptr<WorkbookFile> file = WorkbookFile::open(path, &why);
        if (!file) {
            qWarning().noquote() << "Workbooks.Open:" << path << "refused:" << why;
            return ServerObject::objectValue(ServerObjectPtr());
        }
        auto open = std::make_shared<OpenWorkbook>();
        open->file = std::move(file);
        // Forget the workbooks closed meanwhile.
        m_open.erase(std::remove_if(m_open.begin(), m_open.end(),
                                    [](const OpenWorkbookPtr &w) { return !w->isOpen(); }),
                     m_open.end());
        m_open.append(open);
        return ServerObject::objectValue(std::make_shared<ServerWorkbook>(open));
    }
    if (is(member, arguments, "Count")) {
        int count = 0;
        for (const OpenWorkbookPtr &open : qAsConst(m_open))
            count += open->isOpen() ? 1 : 0;
        return count;
    }
    return unknown(known);
}

bool ServerWorkbooks::put(const QByteArray &, const QVariant &)
{
    return false;
}

void ServerWorkbooks::closeAll()
{
    for (const OpenWorkbookPtr &open : qAsConst(m_open))
        open->close();
    m_open.clear();
}
