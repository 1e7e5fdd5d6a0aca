#ifndef CODEEDITOREX2_H
#define CODEEDITOREX2_H

#include "WordListFile.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class CodeEditor;
class PaneText;
class QLabel;
class QPushButton;

// Two text files side by side, each in a line-numbered pane, for word lists
// whose lines correspond. One window serves the whole process; edits go back
// to their files with Ctrl+S, when the window closes or before another pair
// is shown, without a question. A file is written only when the user edited
// its pane, and keeps every character the edits did not touch. When a write fails (or would lose
// what a file holds) the failure is reported as a tip, the edits and the "*" stay, and the window
// neither closes nor shows another pair.
class CodeEditorEx2 : public QWidget
{
    Q_OBJECT

public:
    explicit CodeEditorEx2(QWidget *parent = nullptr);
    ~CodeEditorEx2() override;

    // Shows the one window with the given files, creating it on the first call.
    static CodeEditorEx2 *showEditor(const QString &title, const QString &leftCaption,
                                     const QString &leftPath, const QString &rightCaption,
                                     const QString &rightPath, QWidget *parent);

    // Saves the edits of the pair shown first; keeps it shown when that fails.
    void loadTexts(const QString &title, const QString &leftCaption, const QString &leftPath,
                   const QString &rightCaption, const QString &rightPath);
    // False when a changed pane could not be written.
    bool saveTexts();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void markChanged(bool *edited);
    // The paths of the changed panes whose files could not be written.
    QStringList writeChanged();
    void swapTexts();
    void clearTexts();
    void updateTitle();

    QString mTitle;
    QString mLeftCaption;
    QString mLeftPath;
    QLabel *mLeftLabel;
    CodeEditor *mLeftEditor;
    QString mRightCaption;
    QString mRightPath;
    QLabel *mRightLabel;
    CodeEditor *mRightEditor;
    QPushButton *mSwapButton;
    QPushButton *mClearButton;
    // "*" once either pane changed since the last save.
    QString mMark;
    PaneText *mLeftText;
    PaneText *mRightText;
    WordListFile mLeftFile;
    WordListFile mRightFile;
    // The user edited the pane since it was loaded or written.
    bool mLeftEdited = false;
    bool mRightEdited = false;
    // Filling the panes from their files is no edit.
    bool mLoading = false;
};

#endif // CODEEDITOREX2_H
