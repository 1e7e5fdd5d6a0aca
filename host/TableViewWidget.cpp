#include "TableViewWidget.h"
#include "ConfigureSetting.h"
#include "ui_TableViewWidget.h"

#include "DialogFilter.h"
#include "MyTableModel.h"
#include "ReadWriteTxt.h"
#include "Settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QUrl>

#include <algorithm>

TableViewWidget::TableViewWidget(int tableID, const QString &title, const QString &iniPath,
                                 int *idCounter, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::TableViewWidget)
    , m_model(new MyTableModel(nullptr))
    , m_tableID(tableID)
    , m_idCounter(idCounter)
    , m_iniPath(iniPath)
{
    ui->setupUi(this);
    setWindowTitle(title);

    connect(m_model.get(), &MyTableModel::changeSignal, this, &TableViewWidget::changeSlot);
    m_model->setHorizontalHeaderItem(0, new QStandardItem(QStringLiteral("文件名")));
    m_model->setHorizontalHeaderItem(1, new QStandardItem(QStringLiteral("路径")));
    ui->tableView->setModel(m_model.get());

    buildContextMenu();
}

TableViewWidget::~TableViewWidget()
{
    // The view goes with the form; detach it first so it never sees the
    // model half destroyed.
    ui->tableView->setModel(nullptr);
    delete ui;
}

QTableView *TableViewWidget::tableView() const
{
    return ui->tableView;
}

void TableViewWidget::buildContextMenu()
{
    m_menu.reset(new QMenu);
    m_menu->setObjectName(QStringLiteral("menu_list"));

    auto add = [this](const QString &name, const QString &text, auto slot) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    add(QStringLiteral("action_addFiles"), QStringLiteral("添加文件"), [this] { addFiles(); });
    add(QStringLiteral("action_addDirectory"), QStringLiteral("添加目录"),
        [this] { addDirectory(); });
    m_menu->addSeparator();
    m_openSelected = add(QStringLiteral("action_openSelected"), QStringLiteral("打开选中文件"),
                         [this] { openSelectedFiles(); });
    m_openFolder = add(QStringLiteral("action_openFolder"), QStringLiteral("打开文件所在目录"),
                       [this] { openContainingFolder(); });
    m_menu->addSeparator();
    m_openAll = add(QStringLiteral("action_openAll"), QStringLiteral("打开全部文件"),
                    [this] { openAllFiles(); });
    add(QStringLiteral("action_saveAll"), QStringLiteral("保存所有归属文件"),
        [this] { emit saveSignal(m_tableID); });
    m_closeSelected = add(QStringLiteral("action_closeSelected"),
                          QStringLiteral("关闭归属选中文件"), [this] { removeSelected(false); });
    m_closeAll = add(QStringLiteral("action_closeAll"), QStringLiteral("关闭归属所有文件"),
                     [this] { emit closeSignal(m_tableID); });
    m_menu->addSeparator();
    m_removeSelected = add(QStringLiteral("action_removeSelected"), QStringLiteral("删除选中"),
                           [this] { removeSelected(true); });
    m_menu->addSeparator();
    add(QStringLiteral("action_refresh"), QStringLiteral("刷新列表"), [this] { refresh(); });
    m_menu->addSeparator();
    m_clear =
        add(QStringLiteral("action_clear"), QStringLiteral("清空列表"), [this] { clearList(); });
    m_menu->addSeparator();
    add(QStringLiteral("action_import"), QStringLiteral("导入全路径文件名"),
        [this] { importPathList(); });

    QMenu *exportMenu = m_menu->addMenu(QStringLiteral("导出文件名"));
    exportMenu->setObjectName(QStringLiteral("menu_export"));
    QAction *names = exportMenu->addAction(QStringLiteral("文件名"));
    names->setObjectName(QStringLiteral("action_exportNames"));
    connect(names, &QAction::triggered, this, [this] { exportNameList(); });
    QAction *paths = exportMenu->addAction(QStringLiteral("全路径"));
    paths->setObjectName(QStringLiteral("action_exportPaths"));
    connect(paths, &QAction::triggered, this, [this] { exportPathList(); });
}

void TableViewWidget::addFile(const QString &path, int id)
{
    const bool listed = std::any_of(m_files.cbegin(), m_files.cend(),
                                    [&path](const FileType *file) { return file->path == path; });
    if (!listed)
        m_files.append(new FileType{id, path});
}

void TableViewWidget::addFiles()
{
    const QStringList chosen =
        QFileDialog::getOpenFileNames(this, QStringLiteral("请选择需要添加的Excel表格文档:"),
                                      QStringLiteral("/"), DialogFilter::forWorkbookDialog());
    for (const QString &path : chosen)
        addFile(path, ++*m_idCounter);
    if (!chosen.isEmpty())
        refresh();
}

void TableViewWidget::addDirectory()
{
    QFileDialog dialog(this, QString(), QString(), QString());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setWindowTitle(QStringLiteral("选择文本文档所在目录:"));
    dialog.setDirectory(QStringLiteral("."));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);

    // Several folders may be chosen at once.
    if (auto *listView = dialog.findChild<QListView *>(QStringLiteral("listView")))
        listView->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto *subfolders = new QCheckBox(QStringLiteral("包含子目录文件"), &dialog);
    subfolders->setObjectName(QStringLiteral("checkBox_subfolders"));
    subfolders->setChecked(Configure::Subfolders.read(m_iniPath).toInt() != 0);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(subfolders, 4, 0, 1, 5);

    if (dialog.exec() != QDialog::Accepted)
        return;

    const QStringList folders = dialog.selectedFiles();
    QStringList found;
    for (const QString &folder : folders)
        scanDir(folder, found, !subfolders->isChecked());
    for (const QString &path : found)
        addFile(path, ++*m_idCounter);
    if (!folders.isEmpty())
        refresh();
}

bool TableViewWidget::isListableFile(const QString &path)
{
    static const QStringList accepted{
        QStringLiteral("application/vnd.ms-excel"),
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"),
        QStringLiteral("application/xml"), QStringLiteral("application/x-zerosize"),
        QStringLiteral("multipart/related")};

    const QString name = QMimeDatabase().mimeTypeForFile(path).name();
    qDebug() << "mime.name():" << name;
    return name.startsWith(QLatin1String("text/")) || accepted.contains(name);
}

void TableViewWidget::scanDir(const QString &folder, QStringList &out, bool skipSubfolders)
{
    QSet<QString> visited;
    scanDir(folder, out, skipSubfolders, visited);
}

void TableViewWidget::scanDir(const QString &folder, QStringList &out, bool skipSubfolders,
                              QSet<QString> &visited)
{
    // A link back to a folder above would otherwise be walked forever.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);

    const QFileInfoList entries = QDir(folder).entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isFile()) {
            if (isListableFile(entry.filePath()))
                out.append(entry.filePath());
        } else if (entry.isDir() && entry.fileName() != QLatin1String(".") &&
                   entry.fileName() != QLatin1String("..")) {
            if (!skipSubfolders)
                scanDir(entry.filePath(), out, false, visited);
        }
    }
}

void TableViewWidget::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasUrls() && data->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TableViewWidget::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        const QString path = url.toLocalFile();
        if (isListableFile(path))
            addFile(path, ++*m_idCounter);
    }
    if (!urls.isEmpty()) {
        refresh();
        event->acceptProposedAction();
    }
}

QString TableViewWidget::countText() const
{
    return windowTitle() + QLatin1Char('(') + QString::number(m_files.size()) + QLatin1Char(')');
}

void TableViewWidget::refresh()
{
    m_model->removeRows(0, m_model->rowCount());

    for (int i = m_files.size() - 1; i >= 0; --i) {
        if (!QFileInfo(m_files.at(i)->path).isFile())
            m_files.removeAt(i);
    }

    for (int i = 0; i < m_files.size(); ++i) {
        const QFileInfo info(m_files.at(i)->path);
        m_model->setItem(i, 1, new QStandardItem(info.absolutePath()));
        m_model->setItem(i, 0, new QStandardItem(info.fileName()));
    }

    emit fileCountSignal(countText());
}

void TableViewWidget::changeSlot(QList<int> rowsMove, int to)
{
    QList<FileType *> moved;
    for (int row : rowsMove) {
        // Rows come from the drag's data; one that is not in the list
        // moves nothing.
        if (row < 0 || row >= m_files.size() || m_files.at(row)->path.isEmpty())
            continue;
        moved.append(new FileType(*m_files.at(row)));
        m_files.at(row)->path.clear();
    }

    if (to < 0 || to > m_files.size()) {
        m_files.append(moved);
    } else {
        for (int j = 0; j < moved.size(); ++j)
            m_files.insert(to + j, moved.at(j));
    }

    for (int i = m_files.size() - 1; i >= 0; --i) {
        if (m_files.at(i)->path.isEmpty())
            m_files.removeAt(i);
    }
    refresh();
}

QList<int> TableViewWidget::selectedRowsDescending() const
{
    QList<int> rows;
    const QModelIndexList indexes = ui->tableView->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : indexes) {
        if (!rows.contains(index.row()) && index.row() < m_files.size())
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    return rows;
}

QList<FileType *> TableViewWidget::selectedFiles() const
{
    QList<FileType *> files;
    const QList<int> rows = selectedRowsDescending();
    for (int row : rows)
        files.append(m_files.at(row));
    return files;
}

void TableViewWidget::removeSelected(bool remove)
{
    QList<FileType *> copies;
    const QList<int> rows = selectedRowsDescending();
    for (int row : rows) {
        copies.append(new FileType(*m_files.at(row)));
        if (remove)
            m_files.removeAt(row);
    }
    ui->tableView->clearSelection();
    emit closeSelectSignal(m_tableID, copies);
    refresh();
}

void TableViewWidget::clearList()
{
    emit closeSignal(m_tableID);
    m_files.clear();
    refresh();
}

void TableViewWidget::openSelectedFiles()
{
    const QList<FileType *> files = selectedFiles();
    if (!files.isEmpty())
        emit openFilesSignal(m_tableID, files);
}

void TableViewWidget::openAllFiles()
{
    if (!m_files.isEmpty())
        emit openFilesSignal(m_tableID, m_files);
}

void TableViewWidget::openContainingFolder()
{
    const QList<FileType *> files = selectedFiles();
    for (const FileType *file : files) {
        const QString folder = QFileInfo(file->path).absolutePath();
        qDebug() << "openDir" << folder;
        // A bare path is no URL; only a file URL reaches the file manager.
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

void TableViewWidget::importPathList()
{
    const QStringList chosen = QFileDialog::getOpenFileNames(
        this, QStringLiteral("请选择包含文件路径内容的TXT文本文档:"), QStringLiteral("/"),
        DialogFilter::fromSuffixFile(DialogFilter::textFilter()));
    for (const QString &listFile : chosen) {
        QString text;
        g_readWriteTxt.readTxt(listFile, text);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (QFileInfo(line).isFile())
                addFile(line, ++*m_idCounter);
        }
    }
    if (!chosen.isEmpty())
        refresh();
}

void TableViewWidget::exportList(bool fullPaths, const QString &defaultName)
{
    QStringList lines;
    for (const FileType *file : qAsConst(m_files))
        lines.append(fullPaths ? file->path : QFileInfo(file->path).fileName());

    const QString target =
        QFileDialog::getSaveFileName(this, QStringLiteral("选择导出目录:"), defaultName,
                                     DialogFilter::fromSuffixFile(DialogFilter::textFilter()));
    if (target.isEmpty())
        return;
    g_readWriteTxt.writeTxt(target, lines.join(QLatin1Char('\n')));
}

void TableViewWidget::exportPathList()
{
    exportList(true, QStringLiteral("./路径列表文档.txt"));
}

void TableViewWidget::exportNameList()
{
    exportList(false, QStringLiteral("./文件列表文档.txt"));
}

bool TableViewWidget::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        emit windowActivateSignal();
        emit fileCountSignal(countText());
    }
    return QWidget::event(event);
}

void TableViewWidget::closeEvent(QCloseEvent *event)
{
    emit destroySignal(m_tableID);
    event->accept();
}

void TableViewWidget::contextMenuEvent(QContextMenuEvent *event)
{
    const bool anySelected = ui->tableView->selectionModel()->hasSelection();
    const bool anyFile = !m_files.isEmpty();
    m_openSelected->setEnabled(anySelected);
    m_openFolder->setEnabled(anySelected);
    m_closeSelected->setEnabled(anySelected);
    m_removeSelected->setEnabled(anySelected);
    m_openAll->setEnabled(anyFile);
    m_closeAll->setEnabled(anyFile);
    m_clear->setEnabled(anyFile);

    m_menu->exec(event->globalPos());
    event->accept();
}
