#ifndef PARBUILDER_H
#define PARBUILDER_H

#include "Tip.h"
#include "records/ParTypes.h"
#include "wordlists/WordLists.h"

#include <QObject>
#include <QStringList>

namespace Ui {
class WidgetTextOption;
}

// Reads the options panel's widgets into parameter records. Each builder
// returns a new record the caller owns, or null when the input is unusable.
class ParBuilder : public QObject
{
    Q_OBJECT

public:
    ParBuilder(const Ui::WidgetTextOption *ui, const QString &dataPath, QObject *parent = nullptr);

    const WordLists &wordLists() const { return m_lists; }

    ParReplaced *getParReplaced() const;
    // Pairs each key of the keyword table with its cell in the column of the
    // file at fileIndex among the files heading the columns.
    ParReplaced *getParReplaced2(int fileIndex) const;
    ParRetain *getParRetain() const;
    // Rejections of the word lists are reported on tipSignal.
    ParTo *getParTo();
    ParCode *getParCode() const;
    ParChar *getParChar() const;
    ParSpace *getParSpace() const;
    ParAdd *getParAdd() const;

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

private:
    QString sheetIndex() const;
    bool keyLines(QStringList &lines) const;
    void readSearchOptions(ParReplaced &par) const;
    bool readTradition(ParTo &par);
    bool readCustom(ParTo &par);
    bool readPair(WordLists::ListFile fromFile, WordLists::ListFile toFile, QStringList &from,
                  QStringList &to, Tip::Pair emptyTip, Tip::Pair countTip, bool bothMustHoldText);

    const Ui::WidgetTextOption *ui;
    WordLists m_lists;
};

#endif // PARBUILDER_H
