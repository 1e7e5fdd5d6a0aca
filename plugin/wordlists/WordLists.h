#ifndef WORDLISTS_H
#define WORDLISTS_H

#include <QString>
#include <QStringList>

// The conversion word lists of the data folder: which files serve which
// script direction, and how a list file reads as entries.
class WordLists
{
public:
    // The four scripts, in the order the direction chooser groups them.
    enum Script { Simplified, Literal, HongKong, Taiwan };

    enum ListFile {
        NewOne,
        OldOne,
        // The phrase lists, one per script in Script order.
        NewMainland,
        OldMainland,
        OldHongKong,
        OldTaiwan,
        BeforeCustom,
        AfterCustom
    };

    explicit WordLists(const QString &dataPath);

    // The folder as configured, always ending in a separator.
    QString dataPath() const { return m_dataPath; }
    QString path(ListFile file) const;
    // The file's text, read by its content (see WordListFile); false when
    // the file cannot be read, and text is then left alone.
    bool readText(ListFile file, QString &text) const;

    static QString fileName(ListFile file);
    static ListFile phraseFile(Script script);
    static QString scriptName(Script script);

    // Directions are the indexes of the chooser: twelve, three per source
    // script, each toward one of the other three scripts in Script order.
    static Script sourceScript(int direction);
    static Script targetScript(int direction);
    // Directions between the simplified and the literal traditional script
    // need only the one-to-one lists.
    static bool isTwoStep(int direction);

    // Every line is an entry, blank ones and the one after a final line break
    // included, so that parallel files stay aligned line by line.
    static QStringList entries(const QString &text);

private:
    QString m_dataPath;
};

#endif // WORDLISTS_H
