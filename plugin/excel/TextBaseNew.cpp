#include "excel/TextBaseNew.h"

#include "ReadWriteTxt.h"
#include "excel/TextBase.h"

#include <QDebug>
#include <QSettings>

TextBaseNew::TextBaseNew(const QString &fileName, QObject *parent)
    : QObject(parent), m_fileName(fileName)
{
}

bool TextBaseNew::readTxt(const QString &fileName, QString &text)
{
    qDebug() << "readTxt m_fileName:" << fileName;
    ReadWriteTxt reader;
    connect(&reader, &ReadWriteTxt::tipSignal, this, &TextBaseNew::tipSignal);
    return reader.readTxt(fileName, text);
}

bool TextBaseNew::writeTxt(const QString &fileName, const QString &text)
{
    const Tip::Pair tip =
        TextBase::writeWhole(fileName, text, QIODevice::WriteOnly | QIODevice::Append);
    emitTip(this, tip, fileName);
    return tip != Tip::FileNotFound;
}

void TextBaseNew::run()
{
    m_text = process();
    if (writeTxt(m_fileName, m_text))
        emitTip(this, Tip::FileDone, m_fileName);
}

void TextBaseNew::writeIniGroup(const QString &file, const QString &group, const QString &key,
                                const QString &value)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
}

QString TextBaseNew::readIniGroup(const QString &file, const QString &group, const QString &key,
                                  const QString &defaultValue)
{
    QSettings settings(file, QSettings::IniFormat);
    return settings.value(group + QLatin1Char('/') + key, defaultValue).toString();
}

void TextBaseNew::writeIni(const QString &file, const QString &key, const QString &value)
{
    QSettings settings(file, QSettings::NativeFormat);
    settings.setValue(key, value);
}

QString TextBaseNew::readIni(const QString &file, const QString &key, const QString &defaultValue)
{
    QSettings settings(file, QSettings::NativeFormat);
    return settings.value(key, defaultValue).toString();
}
