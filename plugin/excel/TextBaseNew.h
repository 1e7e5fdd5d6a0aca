#ifndef TEXTBASENEW_H
#define TEXTBASENEW_H

#include <QObject>
#include <QString>

// The appending variant of TextBase: the operation produces text (process)
// that is appended to the file. Only its settings functions are in use.
class TextBaseNew : public QObject
{
    Q_OBJECT
public:
    TextBaseNew(const QString &fileName, QObject *parent);

    virtual QString process() = 0;

    bool readTxt(const QString &fileName, QString &text);
    // Appends; tips as TextBase::writeTxt.
    bool writeTxt(const QString &fileName, const QString &text);

    // INI file: key inside group.
    static void writeIniGroup(const QString &file, const QString &group, const QString &key,
                              const QString &value);
    static QString readIniGroup(const QString &file, const QString &group, const QString &key,
                                const QString &defaultValue);
    // The platform's native settings format.
    static void writeIni(const QString &file, const QString &key, const QString &value);
    static QString readIni(const QString &file, const QString &key, const QString &defaultValue);

public slots:
    virtual void run();

signals:
    void done(QString fileName = QString());
    void tipSignal(int var1, int var2, QString tipText = QString());
    void appendFileToCurTableSignal(QString fileName);

protected:
    QString m_fileName;
    QString m_text;
};

#endif // TEXTBASENEW_H
