#ifndef CODEEDITOREX_H
#define CODEEDITOREX_H

#include "CodeEditor.h"

#include <QString>

// One text document of the host: a file of a list, a file on its own or a
// new document not yet saved. The window title carries "*" while the text
// differs from what is on disk.
class CodeEditorEx : public CodeEditor
{
    Q_OBJECT
public:
    CodeEditorEx(int tableID, int codeID, const QString &path, QWidget *parent = nullptr);
    // Asks whether to save a modified document before it goes.
    ~CodeEditorEx() override;

    // Writes the document, asking for a file name when it has none yet; a
    // clean document whose file is there is left as it is, and so is a file
    // the chosen encoding did not decode. A document of no list joins the
    // list tableID when that is a list id.
    bool save(int tableID);

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

private slots:
    void onTextChanged();

private:
    void updateTitle();
    void readFile();

    int m_tableID;
    int codeID;
    QString m_path;
    QString m_fileName;
    QString m_savedText;
    QString m_mark;
    // The file holds bytes the chosen encoding cannot decode.
    bool m_undecodable = false;
    int m_dropMode = 0;
};

#endif // CODEEDITOREX_H
