#include "DocumentRegistry.h"

#include "CodeEditorEx.h"
#include "ConfigureSetting.h"
#include "DockWidgetTips.h"
#include "Settings.h"
#include "TableViewWidget.h"

#include <QDebug>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>

#include <algorithm>

namespace {

// What a file dropped on a document shows; read for every new document and
// again for the open ones when the options are saved.
int dropModeSetting()
{
    return Configure::DropMode.read().toInt();
}

} // namespace

DocumentRegistry::DocumentRegistry(QMainWindow *window, QMdiArea *area, DockWidgetTips *tips,
                                   QLabel *countLabel, QLabel *documentLabel)
    : m_window(window)
    , m_area(area)
    , m_tips(tips)
    , m_countLabel(countLabel)
    , m_docLabel(documentLabel)
{
}

void DocumentRegistry::createList(const QString &name, int number)
{
    auto *list = new TableViewWidget(number, name + QString::number(number), configureFile(),
                                     &m_fileID, m_window);
    m_tables.append(list);

    list->setAcceptDrops(true);
    list->setWindowFlag(Qt::Dialog);
    m_window->raise();
    m_window->stackUnder(list);

    QHeaderView *header = list->tableView()->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    connect(list, &TableViewWidget::openFilesSignal, this, &DocumentRegistry::openFiles);
    connect(list, &TableViewWidget::windowActivateSignal, this,
            [this, list] { setCurrentList(list); });
    connect(list, &TableViewWidget::fileCountSignal, m_countLabel, &QLabel::setText);
    connect(list->tableView(), &QTableView::doubleClicked, this,
            [this, list](const QModelIndex &index) {
                if (index.row() >= 0 && index.row() < list->fileCount())
                    openFiles(list->tableID(), {list->fileAt(index.row())});
            });
    connect(list, &TableViewWidget::saveSignal, this, [this](int tableID) {
        forEachStillOpen(m_codeEditors, [tableID](CodeEditorEx *editor) {
            if (editor->tableID() == tableID)
                editor->save(-1);
        });
    });
    connect(list, &TableViewWidget::closeSelectSignal, this,
            &DocumentRegistry::closeSelectedDocuments);
    connect(list, &TableViewWidget::closeSignal, this, &DocumentRegistry::closeListDocuments);
    connect(list, &TableViewWidget::destroySignal, this, &DocumentRegistry::onListDestroyed);

    if (m_tables.size() >= 2) {
        m_listX += 60;
        m_listY += 15;
    }
    list->setGeometry(m_listX, m_listY, 200, 500);
    list->show();
    // Raising the window above put it over the other lists too, where the
    // window manager does not keep dialogs above their parent.
    raiseLists();
    setCurrentList(list);
}

void DocumentRegistry::newCodeEditorEx(int tableID, int codeID, const QString &path)
{
    qDebug().noquote() << QStringLiteral("newCodeEditorEx  tableID:%1  CodeEditorExID:%2")
                              .arg(tableID)
                              .arg(codeID);

    auto *editor = new CodeEditorEx(tableID, codeID, path, nullptr);
    editor->setDropMode(dropModeSetting());

    connect(editor, &CodeEditorEx::destroySignal, this, &DocumentRegistry::onDocumentDestroyed);
    connect(editor, &CodeEditorEx::tipSignal, m_tips, &DockWidgetTips::tipSlot);
    connect(editor, &CodeEditorEx::addToListSignal, this, &DocumentRegistry::onDocumentSaved);
    connect(editor, &CodeEditorEx::windowActivateSignal, this,
            [this, editor] { setCurrentDocument(editor); });

    m_codeEditors.append(editor);
    setCurrentDocument(editor);
    m_area->addSubWindow(editor);
    editor->show();
}

void DocumentRegistry::openFiles(int tableID, QList<FileType *> files)
{
    for (const FileType *file : qAsConst(files)) {
        CodeEditorEx *open = nullptr;
        for (CodeEditorEx *editor : qAsConst(m_codeEditors)) {
            if (editor->tableID() == tableID && editor->path() == file->path) {
                open = editor;
                break;
            }
        }

        if (open) {
            if (auto *sub = qobject_cast<QMdiSubWindow *>(open->parentWidget()))
                m_area->setActiveSubWindow(sub);
            open->activateWindow();
            setCurrentDocument(open);
        } else {
            newCodeEditorEx(tableID, file->id, file->path);
        }
    }
}

bool DocumentRegistry::closeDocument(CodeEditorEx *editor)
{
    if (!editor->askToClose())
        return false;
    destroyDocument(editor);
    return true;
}

void DocumentRegistry::destroyDocument(CodeEditorEx *editor)
{
    // The document goes before its frame: its save prompt runs an event loop,
    // which must not meet a sub-window that is half destroyed.
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
    delete editor;
    delete sub.data();
}

QList<CodeEditorEx *>
DocumentRegistry::documentsWhere(const std::function<bool(CodeEditorEx *)> &pick)
{
    QList<CodeEditorEx *> picked;
    for (int i = m_codeEditors.size() - 1; i >= 0; --i) {
        if (pick(m_codeEditors.at(i)))
            picked.append(m_codeEditors.at(i));
    }
    return picked;
}

void DocumentRegistry::forEachStillOpen(const QList<CodeEditorEx *> &editors,
                                        const std::function<void(CodeEditorEx *)> &act)
{
    QList<QPointer<CodeEditorEx>> open;
    for (CodeEditorEx *editor : editors)
        open.append(editor);
    for (const QPointer<CodeEditorEx> &editor : qAsConst(open)) {
        if (editor)
            act(editor);
    }
}

void DocumentRegistry::closeDocuments(const QList<CodeEditorEx *> &editors)
{
    forEachStillOpen(editors, [this](CodeEditorEx *editor) { closeDocument(editor); });
}

void DocumentRegistry::closeListDocuments(int tableID)
{
    closeDocuments(
        documentsWhere([tableID](CodeEditorEx *editor) { return editor->tableID() == tableID; }));

    if (m_codeEditors.isEmpty()) {
        setCurrentDocument(nullptr);
    } else {
        setCurrentDocument(m_codeEditors.first());
        if (!m_tables.isEmpty())
            m_tables.first()->activateWindow();
    }
}

void DocumentRegistry::closeSelectedDocuments(int tableID, QList<FileType *> files)
{
    closeDocuments(documentsWhere([tableID, &files](CodeEditorEx *editor) {
        return editor->tableID() == tableID &&
               std::any_of(files.cbegin(), files.cend(), [editor](const FileType *file) {
                   return file->id == editor->getCodeID() && file->path == editor->path();
               });
    }));
    showFirstList();
}

void DocumentRegistry::onDocumentDestroyed(int ID)
{
    for (int i = m_codeEditors.size() - 1; i >= 0; --i) {
        if (m_codeEditors.at(i)->getCodeID() == ID)
            m_codeEditors.removeAt(i);
    }
    showFirstDocument();
}

void DocumentRegistry::onListDestroyed(int tableID)
{
    closeListDocuments(tableID);
    for (int i = m_tables.size() - 1; i >= 0; --i) {
        if (m_tables.at(i)->tableID() == tableID)
            m_tables.removeAt(i);
    }
    showFirstList();
}

void DocumentRegistry::onDocumentSaved(int tableID, int codeID, const QString &fileName)
{
    const bool toList = Configure::FirstSaveToList.read().toInt() != 0;
    qDebug() << "isSaveToList:" << (toList ? "true" : "false");
    if (!toList)
        return;

    TableViewWidget *list = findList(tableID);
    if (list) {
        list->addFile(fileName, codeID);
        list->refresh();
        setCurrentList(list);
        list->activateWindow();
    } else {
        createList(QStringLiteral("List"), tableID);
        m_curTable->addFile(fileName, codeID);
        m_curTable->refresh();
    }
}

void DocumentRegistry::setCurrentDocument(CodeEditorEx *editor)
{
    m_curCodeEditor = editor;
    m_docLabel->setText(editor ? editor->path() : QString());
}

void DocumentRegistry::setCurrentList(TableViewWidget *list)
{
    m_curTable = list;
}

void DocumentRegistry::showFirstDocument()
{
    if (m_codeEditors.isEmpty()) {
        setCurrentDocument(nullptr);
        return;
    }
    CodeEditorEx *first = m_codeEditors.first();
    setCurrentDocument(first);
    if (auto *sub = qobject_cast<QMdiSubWindow *>(first->parentWidget()))
        m_area->setActiveSubWindow(sub);
}

void DocumentRegistry::showFirstList()
{
    if (m_tables.isEmpty()) {
        setCurrentList(nullptr);
        m_countLabel->clear();
        return;
    }
    setCurrentList(m_tables.first());
    m_tables.first()->activateWindow();
}

TableViewWidget *DocumentRegistry::findList(int tableID) const
{
    for (TableViewWidget *list : m_tables) {
        if (list->tableID() == tableID)
            return list;
    }
    return nullptr;
}

void DocumentRegistry::releaseDocumentsAndLists()
{
    const QList<TableViewWidget *> lists = m_window->findChildren<TableViewWidget *>();
    for (TableViewWidget *list : lists) {
        disconnect(list, nullptr, this, nullptr);
        disconnect(list->tableView(), nullptr, this, nullptr);
    }

    const QList<CodeEditorEx *> editors = m_window->findChildren<CodeEditorEx *>();
    for (CodeEditorEx *editor : editors)
        disconnect(editor, nullptr, this, nullptr);
    m_codeEditors.clear();
    m_curCodeEditor = nullptr;
    forEachStillOpen(editors, [this](CodeEditorEx *editor) { destroyDocument(editor); });
}

void DocumentRegistry::newDocument()
{
    // An untitled document takes a list number of its own: the list that
    // its first save creates.
    const int tableID = ++m_listCount;
    newCodeEditorEx(tableID, ++m_fileID, QString());
}

void DocumentRegistry::addFilesToCurrentList()
{
    if (!m_curTable) {
        if (m_tables.isEmpty())
            createList(QStringLiteral("List"), ++m_listCount);
        else
            setCurrentList(m_tables.first());
    }
    m_curTable->addFiles();
}

void DocumentRegistry::saveCurrentDocument()
{
    if (m_curCodeEditor)
        m_curCodeEditor->save(curTableID());
}

void DocumentRegistry::closeCurrentDocument()
{
    if (!m_curCodeEditor || !m_curCodeEditor->save(curTableID()))
        return;
    // The document just saved is the one to close, even when another
    // sub-window holds the focus.
    closeDocument(m_curCodeEditor);
    showFirstDocument();
}

void DocumentRegistry::openAllFiles()
{
    const QList<TableViewWidget *> lists = m_tables;
    for (TableViewWidget *list : lists) {
        const QList<FileType *> files = list->fileList();
        if (files.isEmpty())
            break;
        openFiles(list->tableID(), files);
    }
}

void DocumentRegistry::saveAllDocuments()
{
    forEachStillOpen(m_codeEditors, [this](CodeEditorEx *editor) { editor->save(curTableID()); });
}

void DocumentRegistry::closeSavedDocuments()
{
    // Only what could be saved is closed.
    closeDocuments(documentsWhere([](CodeEditorEx *editor) { return editor->save(-1); }));
    showFirstDocument();
}

void DocumentRegistry::emptyAllLists()
{
    const QList<TableViewWidget *> lists = m_tables;
    for (TableViewWidget *list : lists)
        list->clearList();
    setCurrentDocument(nullptr);
}

void DocumentRegistry::closeAllLists()
{
    const QList<TableViewWidget *> lists = m_tables;
    m_tables.clear();
    setCurrentList(nullptr);
    qDeleteAll(lists);
}

void DocumentRegistry::dropCurrentList()
{
    m_tables.removeAll(m_curTable);
    setCurrentList(m_tables.isEmpty() ? nullptr : m_tables.first());
}

void DocumentRegistry::closeOtherLists()
{
    for (int i = m_tables.size() - 1; i >= 0; --i) {
        if (m_tables.at(i) != m_curTable)
            m_tables.takeAt(i)->deleteLater();
    }
}

void DocumentRegistry::appendFileToList(const QString &path, const QString &listName)
{
    // Generated files go to a list of the caller's name; the current list
    // serves while its title still starts with that name.
    if (!m_curTable || !m_curTable->windowTitle().startsWith(listName))
        createList(listName, ++m_listCount);
    m_curTable->addFile(path, ++m_fileID);
    m_curTable->refresh();
}

TableViewWidget *DocumentRegistry::listAt(int index) const
{
    return index >= 0 && index < m_tables.size() ? m_tables.at(index) : nullptr;
}

void DocumentRegistry::newList(const QString &name)
{
    createList(name, ++m_listCount);
}

int DocumentRegistry::curTableID() const
{
    return m_curTable ? m_curTable->tableID() : -1;
}

bool DocumentRegistry::closeAllDocuments()
{
    closeDocuments(documentsWhere([](CodeEditorEx *) { return true; }));
    return m_codeEditors.isEmpty();
}

void DocumentRegistry::applyDropSetting()
{
    const int mode = dropModeSetting();
    for (CodeEditorEx *editor : qAsConst(m_codeEditors))
        editor->setDropMode(mode);
}

void DocumentRegistry::raiseLists()
{
    // In registry order: the newest list ends on top.
    for (TableViewWidget *list : qAsConst(m_tables))
        list->raise();
}
