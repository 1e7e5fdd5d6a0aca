#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "HarlithFace.h"

#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

class CodeEditorEx;
class DockWidgetTips;
class Option;
class QDockWidget;
class QLabel;
class StepWidget;
class TableViewWidget;

namespace Ui {
class MainWindow;
}

// The host's one top-level window and its half of the plug-in interface.
class MainWindow : public QMainWindow, public HarlithFace
{
    Q_OBJECT
    Q_INTERFACES(HarlithFace)

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Host services of the plug-in interface, slots 2 to 23.
    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    QString getHarlithFaceName() override;
    QWidget *mainWidget() override;
    QDockWidget *createPlusDock(const QString &plusName) override;
    void newList(const QString &name) override;
    void sendTip(const int &var1, const int &var2, const QString &tipText) override;
    // The named-pair overload of the interface, hidden by the override otherwise.
    using HarlithFace::sendTip;
    void setRangeLabel(const int &range) override;
    QString curFileName() override;
    int curCodeEditorID() override;
    int curTableID() override;
    int curFileCount() override;
    QList<FileType *> curFileList() override;
    void appendFileToList(const QString &path, const QString &listName) override;
    int tableID(int index) override;
    QString tableName(int index) override;
    int fileCount(int index) override;
    QList<FileType *> fileList(int index) override;
    int tableCount() override;
    void explain(const QString &explain) override;
    void appendStep(const QString &stepText, const int &range) override;
    void stepDone() override;

    // The folder searched for plug-in files when the program lives in
    // programFolder: its "plugins" folder, else the program's own folder.
    static QString pluginFolder(const QString &programFolder);

    // Documents and lists.
    // Creates, wires, places and shows the list name + number, which
    // becomes the current list.
    void createList(const QString &name, int number);
    // Opens one document (an untitled one when path is empty) and makes it
    // the current document.
    void newCodeEditorEx(int tableID, int codeID, const QString &path);
    // Opens records of a list, raising any that the list has open already.
    void openFiles(int tableID, QList<FileType *> files);
    void closeListDocuments(int tableID);
    void closeSelectedDocuments(int tableID, QList<FileType *> files);

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());
    void explainSignal(QString explain);
    void stepDoneSignal();

protected:
    void showEvent(QShowEvent *event) override;
    // Closes the documents first; one whose save failed keeps the window open.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_action_quit_triggered();
    void on_action_newList_triggered();
    void on_action_delAllList_triggered();
    void on_action_new_triggered();
    void on_action_add_triggered();
    void on_action_open_triggered();
    void on_action_save_triggered();
    void on_action_close_triggered();
    void on_action_del_triggered();
    void on_action_openAll_triggered();
    void on_action_saveAll_triggered();
    void on_action_closeAll_triggered();
    void on_action_delAll_triggered();
    void on_action_triggered();
    void on_action_2_triggered();
    void on_action_tab_triggered();
    void on_action_4_triggered();
    void on_action_zoomIn_triggered();
    void on_action_zoomOut_triggered();
    void on_action_option_triggered();
    void on_action_step_triggered();
    void on_action_about_triggered();
    void on_action_closeCurrent_triggered();
    void on_action_closeOther_triggered();

private:
    // The list at a position of the registry, null outside it.
    TableViewWidget *tableAt(int index) const;

    // Plug-in loading, once per process at the first show.
    void loadPlugins();
    void addPlus(QObject *plugin, void (MainWindow::*member)(), bool enabled, int letter);
    void onPlusActionTriggered();

    // The step window's requests, passed on to the plug-in that recorded
    // each row's step.
    void onAddStep();
    void onStarStep(int stepIndex);
    void onRemoveStep(QList<int> list);
    void onClearStep();
    void onAllStepDone();
    void onStepTip(int var1, int var2, QString tipText);

    // Applies a changed drop setting to the documents that are already open.
    void onOptionSaved();

    void onDocumentDestroyed(int ID);
    void onListDestroyed(int tableID);
    // A document written to a file for the first time joins its list.
    void onDocumentSaved(int tableID, int codeID, const QString &fileName);
    void setCurrentDocument(CodeEditorEx *editor);
    void setCurrentList(TableViewWidget *list);
    // After a document went: the first one left becomes current, or none.
    void showFirstDocument();
    void showFirstList();
    // Puts every list above the window.
    void raiseLists();
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
    // Closes every document and stops the lists reporting here, before the
    // window goes.
    void releaseDocumentsAndLists();

    bool m_firstShow = true;
    Ui::MainWindow *ui;
    // Goes back to null by itself when the dock dies, also while the window
    // is being torn down.
    QPointer<QDockWidget> m_plusDock;
    Option *m_option = nullptr;
    int m_listCount = 0;
    QList<TableViewWidget *> m_tables;
    TableViewWidget *m_curTable = nullptr;
    int m_fileID = 0;
    QList<CodeEditorEx *> m_codeEditors;
    CodeEditorEx *m_curCodeEditor = nullptr;
    int m_listX = 260;
    int m_listY = 350;
    int m_plusX = 20;
    int m_plusY = 165;
    DockWidgetTips *m_tips = nullptr;
    QLabel *m_rangeLabel = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_docLabel = nullptr;
    HarlithFace *m_curPlus = nullptr;
    StepWidget *mStepWidget = nullptr;
    // The plug-in asked for the last step; rows it appends are its steps.
    HarlithFace *mStepPlugin = nullptr;
    int mStepId = 0;
    // One (step id, plug-in) per row of the step window, in row order.
    QVector<QPair<int, HarlithFace *>> mStepVector;
    QString mPlusName;
};

#endif // MAINWINDOW_H
