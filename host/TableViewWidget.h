#ifndef TABLEVIEWWIDGET_H
#define TABLEVIEWWIDGET_H

#include "FileType.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class MyTableModel;
class QAction;
class QMenu;
class QTableView;

namespace Ui {
class TableViewWidget;
}

// One file list: a window of its own that shows its records as file name
// and folder. It never opens, saves or closes documents itself; it asks the
// main window through its signals, which carry the list's id.
class TableViewWidget : public QWidget
{
    Q_OBJECT
public:
    TableViewWidget(int tableID, const QString &title, const QString &iniPath, int *idCounter,
                    QWidget *parent = nullptr);
    ~TableViewWidget() override;

    FileType *fileAt(int index) const { return m_files.at(index); }
    int fileCount() const { return m_files.size(); }
    int tableID() const { return m_tableID; }
    QList<FileType *> fileList() const { return m_files; }
    QTableView *tableView() const;

    // Adds a record unless one with exactly this path is listed already.
    // The view shows it at the next refresh.
    void addFile(const QString &path, int id);

    void addFiles();
    void addDirectory();
    void openSelectedFiles();
    void openContainingFolder();
    void openAllFiles();
    // Hands copies of the selected records to closeSelectSignal; with remove
    // the records also leave the list.
    void removeSelected(bool remove);
    void clearList();
    void importPathList();
    void exportPathList();
    void exportNameList();

    // Appends to out every file below folder that a list accepts.
    static void scanDir(const QString &folder, QStringList &out, bool skipSubfolders);
    // Whether a file is of a kind the lists take: text, workbooks, XML, web
    // archives and empty files.
    static bool isListableFile(const QString &path);

signals:
    void openFilesSignal(int tableID, QList<FileType *> filelist);
    void windowActivateSignal();
    void saveSignal(int tableID);
    void destroySignal(int tableID);
    void fileCountSignal(QString listNameCount);
    void closeSelectSignal(int tableID, QList<FileType *> list);
    void closeSignal(int tableID);

public slots:
    void changeSlot(QList<int> rowsMove, int to);
    void refresh();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QList<FileType *> selectedFiles() const;
    QList<int> selectedRowsDescending() const;
    QString countText() const;
    void buildContextMenu();
    void exportList(bool fullPaths, const QString &defaultName);
    static void scanDir(const QString &folder, QStringList &out, bool skipSubfolders,
                        QSet<QString> &visited);

    Ui::TableViewWidget *ui;
    std::unique_ptr<MyTableModel> m_model;
    int m_tableID;
    QList<FileType *> m_files;
    int *m_idCounter;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_openSelected = nullptr;
    QAction *m_openFolder = nullptr;
    QAction *m_openAll = nullptr;
    QAction *m_closeSelected = nullptr;
    QAction *m_closeAll = nullptr;
    QAction *m_removeSelected = nullptr;
    QAction *m_clear = nullptr;
    QString m_iniPath;
};

#endif // TABLEVIEWWIDGET_H
