#include "RunHost.h"

RunHost::RunHost() = default;
RunHost::~RunHost() = default;

int RunHost::addList(const QStringList &paths)
{
    m_lists.append(QList<FileType *>());
    for (const QString &path : paths)
        appendFile(m_lists.size() - 1, path);
    return m_lists.size() - 1;
}

void RunHost::appendFile(int list, const QString &path)
{
    m_records.push_back(std::make_unique<FileType>());
    m_records.back()->id = int(m_records.size());
    m_records.back()->path = path;
    m_lists[list].append(m_records.back().get());
}

void RunHost::setFaceEnabled(bool enabled)
{
    this->enabled = enabled;
    calls << QStringLiteral("enabled:%1").arg(enabled);
}

void RunHost::setHarlithFace(HarlithFace *peer)
{
    Q_UNUSED(peer);
}

void RunHost::sendTip(const int &var1, const int &var2, const QString &tipText)
{
    const Tip::Pair tip{var1, var2};
    calls << tipCall(tip, tipText);
    if (tip == Tip::AllThreadsDone)
        setFaceEnabled(true);
}

QString RunHost::curFileName()
{
    return currentDocument;
}

int RunHost::curFileCount()
{
    return m_lists.value(currentList).size();
}

QList<FileType *> RunHost::curFileList()
{
    return fileList(currentList);
}

int RunHost::fileCount(int index)
{
    if (onFileCount)
        onFileCount();
    return index >= 0 && index < m_lists.size() ? m_lists.at(index).size() : -1;
}

QList<FileType *> RunHost::fileList(int index)
{
    return m_lists.value(index);
}

int RunHost::tableCount()
{
    return m_lists.size();
}

void RunHost::appendStep(const QString &stepText, const int &range)
{
    calls << QStringLiteral("appendStep:%1,%2").arg(stepText).arg(range);
}

void RunHost::stepDone()
{
    calls << QStringLiteral("stepDone");
    if (onStepDone)
        onStepDone();
}

QString RunHost::tipCall(Tip::Pair tip, const QString &tipText)
{
    return QStringLiteral("tip:%1,%2,%3").arg(tip.var1).arg(tip.var2).arg(tipText);
}

QStringList RunHost::tips() const
{
    return calls.filter(QStringLiteral("tip:"));
}

int RunHost::count(const QString &call) const
{
    return calls.count(call);
}
