#ifndef DOCUMENTREGISTRY_H
#define DOCUMENTREGISTRY_H

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class CodeEditorEx;
class DockWidgetTips;
class FileType;
class QLabel;
class QMainWindow;
class QMdiArea;
class TableViewWidget;

// The open documents and the file lists of the main window, which of each is
// current, and how they are made, opened, saved, closed and removed. Lists
// are windows of their own beside the main window; documents are sub-windows
// of its document area.
class DocumentRegistry : public QObject
{
    Q_OBJECT

public:
    // countLabel and documentLabel are the status bar's list count and
    // current document.
    DocumentRegistry(QMainWindow *window, QMdiArea *area, DockWidgetTips *tips, QLabel *countLabel,
                     QLabel *documentLabel);

    const QList<CodeEditorEx *> &documents() const { return m_codeEditors; }
    const QList<TableViewWidget *> &lists() const { return m_tables; }
    CodeEditorEx *currentDocument() const { return m_curCodeEditor; }
    TableViewWidget *currentList() const { return m_curTable; }
    // The list at a position of the registry, null outside it.
    TableViewWidget *listAt(int index) const;
    int curTableID() const;

    // Creates, wires, places and shows the list name + number, which
    // becomes the current list.
    void createList(const QString &name, int number);
    // A list under the next list number.
    void newList(const QString &name);
    // Opens one document (an untitled one when path is empty) and makes it
    // the current document.
    void newCodeEditorEx(int tableID, int codeID, const QString &path);
    // An untitled document under a list number of its own: the list that its
    // first save creates.
    void newDocument();
    // Opens records of a list, raising any that the list has open already.
    void openFiles(int tableID, QList<FileType *> files);
    void openAllFiles();
    void closeListDocuments(int tableID);
    void closeSelectedDocuments(int tableID, QList<FileType *> files);
    // Generated files go to a list of the caller's name.
    void appendFileToList(const QString &path, const QString &listName);

    void addFilesToCurrentList();
    void saveCurrentDocument();
    void closeCurrentDocument();
    void saveAllDocuments();
    // Only what could be saved is closed.
    void closeSavedDocuments();
    // Asks every document to close; false when one stays open because its
    // save failed.
    bool closeAllDocuments();
    void emptyAllLists();
    void closeAllLists();
    // The current list leaves the registry; its window stays.
    void dropCurrentList();
    void closeOtherLists();
    // Puts every list above the window.
    void raiseLists();
    // A changed drop setting reaches the documents that are already open.
    void applyDropSetting();

    // Closes every document and stops the lists reporting here, before the
    // window goes.
    void releaseDocumentsAndLists();

private:
    void onDocumentDestroyed(int ID);
    void onListDestroyed(int tableID);
    // A document written to a file for the first time joins its list.
    void onDocumentSaved(int tableID, int codeID, const QString &fileName);
    void setCurrentDocument(CodeEditorEx *editor);
    void setCurrentList(TableViewWidget *list);
    // After a document went: the first one left becomes current, or none.
    void showFirstDocument();
    void showFirstList();
    TableViewWidget *findList(int tableID) const;
    // Deletes a document and its sub-window unless the document stays open
    // because a save it was asked for failed.
    bool closeDocument(CodeEditorEx *editor);
    void destroyDocument(CodeEditorEx *editor);
    void closeDocuments(const QList<CodeEditorEx *> &editors);
    // Runs act on each of editors that is still open when its turn comes: a
    // save or a close may ask the user in an event loop of its own, in which
    // other documents can go.
    void forEachStillOpen(const QList<CodeEditorEx *> &editors,
                          const std::function<void(CodeEditorEx *)> &act);
    // The documents that pick accepts, from the last opened to the first.
    QList<CodeEditorEx *> documentsWhere(const std::function<bool(CodeEditorEx *)> &pick);

    QMainWindow *const m_window;
    QMdiArea *const m_area;
    DockWidgetTips *const m_tips;
    QLabel *const m_countLabel;
    QLabel *const m_docLabel;
    int m_listCount = 0;
    QList<TableViewWidget *> m_tables;
    TableViewWidget *m_curTable = nullptr;
    // The lists number the files they add from here as well.
    int m_fileID = 0;
    QList<CodeEditorEx *> m_codeEditors;
    CodeEditorEx *m_curCodeEditor = nullptr;
    int m_listX = 260;
    int m_listY = 350;
};

#endif // DOCUMENTREGISTRY_H
