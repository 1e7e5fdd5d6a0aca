#ifndef CODEEDITOREX_H
#define CODEEDITOREX_H

#include "CodeEditor.h"
#include "DiskStamp.h"

#include <QString>

// One text document of the host: a file of a list, a file on its own or a
// new document not yet saved. The window title carries "*" while the text
// differs from what is on disk.
class PaneText;

class CodeEditorEx : public CodeEditor
{
    Q_OBJECT
public:
    CodeEditorEx(int tableID, int codeID, const QString &path, QWidget *parent = nullptr);
    // Asks whether to save a modified document before it goes, unless its
    // close has asked already.
    ~CodeEditorEx() override;

    // Writes the document, asking for a file name when it has none yet; a
    // clean document whose file is there is not written again, and a file
    // the chosen encoding did not decode is never written over. A file that
    // something else wrote since the document read or wrote it is written
    // over only when the user says so. A document of no list joins the list
    // tableID when that is a list id.
    bool save(int tableID);
    // A clean document shows its file again when something else wrote it
    // since the document read or wrote it.
    void reloadIfChangedOnDisk();
    // Asks whether to save a modified document that is about to close. False
    // when the user chose to save and the save failed: the document must
    // then stay open, or its edits would be lost.
    bool askToClose();

    QString path() const { return m_path; }
    int getCodeID() const { return codeID; }
    int tableID() const { return m_tableID; }
    void setDropMode(int mode) { m_dropMode = mode; }

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());
    void addToListSignal(int m_tableID, int codeID, QString fileName);
    void windowActivateSignal();
    void destroySignal(int ID);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The sub-window's own close button arrives here.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void onTextChanged();

private:
    void updateTitle();
    void readFile();
    void reloadFromDisk();
    // The close prompt: true when the user answered "是".
    bool userWantsSave();
    // True when the file is not as the document last saw it and the user
    // answered "否" to writing over it.
    bool keepsChangedFile();

    int m_tableID;
    int codeID;
    QString m_path;
    QString m_fileName;
    QString m_savedText;
    QString m_mark;
    // The file as the document last read or wrote it.
    DiskStamp m_diskStamp;
    // The text with the characters the editor shows as others, for the save.
    PaneText *m_text;
    // The file holds bytes the chosen encoding cannot decode.
    bool m_undecodable = false;
    // The user answered "否" when the document was closed.
    bool m_closeAnswered = false;
    int m_dropMode = 0;
};

#endif // CODEEDITOREX_H
