#ifndef CODEEDITOREX2_H
#define CODEEDITOREX2_H

#include <QString>
#include <QWidget>

class CodeEditor;
class QLabel;
class QPushButton;

// Two text files side by side, each in a line-numbered pane, for word lists
// whose lines correspond. One window serves the whole process; edits go back
// to both files with Ctrl+S or when the window closes, without a question.
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

    void loadTexts(const QString &title, const QString &leftCaption, const QString &leftPath,
                   const QString &rightCaption, const QString &rightPath);
    void saveTexts();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void markChanged();
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
};

#endif // CODEEDITOREX2_H
