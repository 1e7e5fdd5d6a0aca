#include "server/ServerWorkbook.h"

#include "server/ServerSheets.h"
#include "server/ServerWorksheet.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

ServerWorkbook::ServerWorkbook(OpenWorkbookPtr workbook) : m_workbook(std::move(workbook)) {}

QVariant ServerWorkbook::invoke(const MemberSignature &member, const QVariantList &arguments,
                                bool *known)
{
    if (!m_workbook->isOpen()) {
        qWarning() << "Workbook:" << member.text() << "on a closed workbook";
        return member.name() == "Sheets" || member.name() == "ActiveSheet"
                   ? ServerObject::objectValue(ServerObjectPtr())
                   : QVariant();
    }
    // A workbook saved and closed needs no reading of the file just saved.
    if (is(member, arguments, "Close")) {
        m_workbook->close();
        return QVariant();
    }
    WorkbookDocument &document = m_workbook->document();
    if (is(member, arguments, "Path"))
        return QDir::toNativeSeparators(QFileInfo(document.path).absolutePath());
    if (is(member, arguments, "Name"))
        return QFileInfo(document.path).fileName();
    if (is(member, arguments, "Sheets") || is(member, arguments, "Worksheets"))
        return ServerObject::objectValue(std::make_shared<ServerSheets>(m_workbook));
    if (is(member, arguments, "ActiveSheet")) {
        if (document.sheetCount() == 0)
            return ServerObject::objectValue(ServerObjectPtr());
        return ServerObject::objectValue(
            std::make_shared<ServerWorksheet>(m_workbook, document.activeSheet));
    }
    if (is(member, arguments, "Save")) {
        QString why;
        if (!m_workbook->file->save(&why)) {
            qWarning().noquote() << "Workbook.Save:" << document.path << "failed:" << why;
            return false;
        }
        return true;
    }
    return unknown(known);
}

bool ServerWorkbook::put(const QByteArray &, const QVariant &)
{
    return false;
}
