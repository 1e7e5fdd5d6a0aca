#include "wordlists/WordLists.h"

#include "wordlists/WordListFile.h"

WordLists::WordLists(const QString &dataPath) : m_dataPath(dataPath)
{
    // The setting names a folder; without a separator the file names would
    // run into the folder's last name and miss the folder altogether.
    if (!m_dataPath.isEmpty() && !m_dataPath.endsWith(QLatin1Char('/')) &&
        !m_dataPath.endsWith(QLatin1Char('\\'))) {
        m_dataPath += QLatin1Char('/');
    }
}

QString WordLists::path(ListFile file) const
{
    return m_dataPath + fileName(file);
}

bool WordLists::readText(ListFile file, QString &text) const
{
    WordListFile list;
    if (!list.read(path(file)))
        return false;
    text = list.text();
    return true;
}

QString WordLists::fileName(ListFile file)
{
    switch (file) {
    case NewOne:
        return QStringLiteral("textTo_newOne.txt");
    case OldOne:
        return QStringLiteral("textTo_oldOne.txt");
    case NewMainland:
        return QStringLiteral("textTo_newMainland.txt");
    case OldMainland:
        return QStringLiteral("textTo_oldMainland.txt");
    case OldHongKong:
        return QStringLiteral("textTo_oldHongKong.txt");
    case OldTaiwan:
        return QStringLiteral("textTo_oldTaiwan.txt");
    case BeforeCustom:
        return QStringLiteral("textTo_beforeCustom.txt");
    case AfterCustom:
        return QStringLiteral("textTo_afterCustom.txt");
    }
    return QString();
}

WordLists::ListFile WordLists::phraseFile(Script script)
{
    return static_cast<ListFile>(NewMainland + script);
}

QString WordLists::scriptName(Script script)
{
    switch (script) {
    case Simplified:
        return QStringLiteral("简体");
    case Literal:
        return QStringLiteral("繁体(直译)");
    case HongKong:
        return QStringLiteral("繁体(香港)");
    case Taiwan:
        return QStringLiteral("繁体(台湾)");
    }
    return QString();
}

WordLists::Script WordLists::sourceScript(int direction)
{
    return static_cast<Script>(qBound(0, direction, 11) / 3);
}

WordLists::Script WordLists::targetScript(int direction)
{
    const int source = sourceScript(direction);
    const int nth = qBound(0, direction, 11) % 3;
    // The nth of the other three scripts.
    return static_cast<Script>(nth < source ? nth : nth + 1);
}

bool WordLists::isTwoStep(int direction)
{
    return direction != 0 && direction != 3;
}

QStringList WordLists::entries(const QString &text)
{
    return text.split(QLatin1Char('\n'));
}
