#include "DialogFilter.h"

#include "ReadWriteTxt.h"
#include "Settings.h"

#include <QStringList>

QString DialogFilter::textFilter()
{
    return QStringList{QStringLiteral("txt(*.txt)"),
                       QStringLiteral("xml(*.xml)"),
                       QStringLiteral("json(*.json)"),
                       QStringLiteral("html(*.html  *.css *.js)"),
                       QStringLiteral("source(*.h *.c *.cpp *.hpp *.py)"),
                       QStringLiteral("csv(*.csv)"),
                       QStringLiteral("svg(*.svg)"),
                       QStringLiteral("All(*.*)")}
        .join(QLatin1Char('\n'));
}

QString DialogFilter::workbookFilter()
{
    return QStringList{
        QStringLiteral("Excel工作簿(*.xlsx)"), QStringLiteral("Excel 97-2003 工作簿(*.xls)"),
        QStringLiteral("XML数据(*.xml)"),      QStringLiteral("单个文件网页(*.mth  *.mhtml)"),
        QStringLiteral("网页(*.htm *.html)"),  QStringLiteral("CSV(逗号分割)(*.csv)"),
        QStringLiteral("txt(*.txt)"),          QStringLiteral("All(*.*)")}
        .join(QLatin1Char('\n'));
}

QString DialogFilter::fromSuffixFile(const QString &fallback)
{
    QString filter;
    g_readWriteTxt.readTxt(suffixFile(), filter);
    if (filter.isEmpty())
        filter = fallback;
    return filter.replace(QLatin1Char('\n'), QStringLiteral(";;"));
}

QString DialogFilter::forWorkbookDialog()
{
    QStringList lines = workbookFilter().split(QLatin1Char('\n'));
    QString suffixes;
    g_readWriteTxt.readTxt(suffixFile(), suffixes);
    const QStringList extra = suffixes.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : extra) {
        const QString filter = line.trimmed();
        if (!filter.isEmpty() && !lines.contains(filter))
            lines << filter;
    }
    return lines.join(QStringLiteral(";;"));
}
