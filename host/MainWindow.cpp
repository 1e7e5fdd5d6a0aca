#include "MainWindow.h"
#include "CodeEditorEx.h"
#include "DockWidgetTips.h"
#include "Option.h"
#include "ReadWriteTxt.h"
#include "Settings.h"
#include "StepWidget.h"
#include "TableViewWidget.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPluginLoader>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

// What a file dropped on a document shows; read for every new document and
// again for the open ones when the options are saved.
int dropModeSetting()
{
    return readSetting(configureFile(), QStringLiteral("text"), QStringLiteral("drop"),
                       QStringLiteral("0"))
        .toInt();
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    setWindowState(Qt::WindowMaximized);
    setWindowTitle(QStringLiteral("KestruneExcel批量处理工具 V") +
                   QCoreApplication::applicationVersion());

    applyCodecSetting(readSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                                  QStringLiteral("UTF-8")));

    m_rangeLabel = new QLabel;
    m_countLabel = new QLabel;
    m_docLabel = new QLabel;
    m_rangeLabel->setObjectName(QStringLiteral("label_range"));
    m_countLabel->setObjectName(QStringLiteral("label_count"));
    m_docLabel->setObjectName(QStringLiteral("label_document"));
    statusBar()->addWidget(m_rangeLabel, 0);
    statusBar()->addWidget(m_countLabel, 0);
    statusBar()->addWidget(m_docLabel, 0);

    m_tips = new DockWidgetTips;
    addDockWidget(Qt::BottomDockWidgetArea, m_tips);
    connect(this, &MainWindow::tipSignal, m_tips, &DockWidgetTips::tipSlot);
    connect(this, &MainWindow::explainSignal, m_tips, &DockWidgetTips::explainSlot);
    connect(m_tips, &DockWidgetTips::finish, this, [this] { setFaceEnabled(true); });

    const QList<QScreen *> screens = QGuiApplication::screens();
    if (!screens.isEmpty()) {
        const QRect screen = screens.first()->geometry();
        const int height = screen.bottom() - screen.top();
        const int width = screen.right() - screen.left();
        m_tips->setGeometry(QRect(QPoint(475, height - 184), QPoint(width - 5, height - 65)));
    }

    const int listNumber = readSetting(configureFile(), QStringLiteral("start"),
                                       QStringLiteral("listNumber"), QStringLiteral("1"))
                               .toInt();
    for (int i = 0; i < listNumber; ++i)
        createList(QStringLiteral("List"), ++m_listCount);
}

MainWindow::~MainWindow()
{
    // The step window's last clear tells the plug-ins to drop their steps;
    // it must come while the step vector still exists, not among the
    // children that go after the members.
    delete mStepWidget;
    mStepWidget = nullptr;
    // Documents may still ask to be saved as they close: let them ask while
    // the window is whole, and report nothing back to a window that is going.
    releaseDocumentsAndLists();
    delete ui;
}

void MainWindow::showEvent(QShowEvent *event)
{
    Q_UNUSED(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    loadPlugins();
    // The lists made before the window was shown are under it where the
    // window manager does not keep a dialog above its parent. Raised once
    // the window's own showing has reached the window manager.
    QTimer::singleShot(0, this, &MainWindow::raiseLists);
}

void MainWindow::raiseLists()
{
    // In registry order: the newest list ends on top.
    for (TableViewWidget *list : qAsConst(m_tables))
        list->raise();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    closeDocuments(documentsWhere([](CodeEditorEx *) { return true; }));
    if (m_codeEditors.isEmpty())
        event->accept();
    else
        event->ignore();
}

void MainWindow::on_action_quit_triggered()
{
    // Quitting is immediate by design: nothing is closed or saved first.
    std::exit(0);
}

void MainWindow::on_action_triggered()
{
    ui->mdiArea_text->cascadeSubWindows();
}

void MainWindow::on_action_2_triggered()
{
    ui->mdiArea_text->tileSubWindows();
}

void MainWindow::on_action_tab_triggered()
{
    ui->mdiArea_text->setViewMode(QMdiArea::TabbedView);
}

void MainWindow::on_action_4_triggered()
{
    ui->mdiArea_text->setViewMode(QMdiArea::SubWindowView);
}

void MainWindow::on_action_option_triggered()
{
    if (!m_option) {
        m_option = new Option(this);
        connect(m_option, &Option::optionSignal, this, &MainWindow::onOptionSaved);
    }
    m_option->show();
}

void MainWindow::on_action_step_triggered()
{
    if (!mStepWidget) {
        mStepWidget = new StepWidget(this);
        connect(mStepWidget, &StepWidget::addStepSignal, this, &MainWindow::onAddStep);
        connect(mStepWidget, &StepWidget::clearStepSignal, this, &MainWindow::onClearStep);
        connect(mStepWidget, &StepWidget::starStepSignal, this, &MainWindow::onStarStep);
        connect(mStepWidget, &StepWidget::allStepDoneSignal, this, &MainWindow::onAllStepDone);
        connect(mStepWidget, &StepWidget::tipSignal, this, &MainWindow::onStepTip);
        connect(mStepWidget, &StepWidget::removeSignal, this, &MainWindow::onRemoveStep);
        connect(this, &MainWindow::stepDoneSignal, mStepWidget, &StepWidget::onStepDone);
    }
    mStepWidget->show();
}

void MainWindow::onAddStep()
{
    if (!m_curPlus) {
        emitTip(this, Tip::NoPluginOpen);
        return;
    }
    mStepPlugin = m_curPlus;
    ++mStepId;
    // The plug-in answers through appendStep within this call.
    mStepPlugin->addStep(mStepId);
}

void MainWindow::onStarStep(int stepIndex)
{
    if (stepIndex < 0 || stepIndex >= mStepVector.size())
        return;
    const QPair<int, HarlithFace *> step = mStepVector.at(stepIndex);
    step.second->runStep(step.first);
}

void MainWindow::onRemoveStep(QList<int> list)
{
    // The window removed its rows by the same order; a list built any other
    // way is taken alike, so rows and entries stay equal.
    list = StepWidget::removalOrder(list);
    for (int i = list.size() - 1; i >= 0; --i) {
        const int row = list.at(i);
        if (row < 0 || row >= mStepVector.size())
            continue;
        const QPair<int, HarlithFace *> step = mStepVector.at(row);
        step.second->removeStep(step.first);
        mStepVector.remove(row);
    }
}

void MainWindow::onClearStep()
{
    for (const QPair<int, HarlithFace *> &step : qAsConst(mStepVector))
        step.second->clearStep();
    mStepVector.clear();
    mStepId = 0;
}

void MainWindow::onAllStepDone()
{
    setFaceEnabled(true);
}

void MainWindow::onStepTip(int var1, int var2, QString tipText)
{
    emit tipSignal(var1, var2, tipText);
}

void MainWindow::on_action_about_triggered()
{
    QMessageBox::about(this, QStringLiteral("关于:"),
                       QStringLiteral("KestruneExcel处理工具 V") +
                           QCoreApplication::applicationVersion());
}

void MainWindow::onOptionSaved()
{
    const int mode = dropModeSetting();
    for (CodeEditorEx *editor : qAsConst(m_codeEditors))
        editor->setDropMode(mode);
}

// Documents and lists.

void MainWindow::createList(const QString &name, int number)
{
    auto *list = new TableViewWidget(number, name + QString::number(number), configureFile(),
                                     &m_fileID, this);
    m_tables.append(list);

    list->setAcceptDrops(true);
    list->setWindowFlag(Qt::Dialog);
    raise();
    stackUnder(list);

    QHeaderView *header = list->tableView()->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    connect(list, &TableViewWidget::openFilesSignal, this, &MainWindow::openFiles);
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
    connect(list, &TableViewWidget::closeSelectSignal, this, &MainWindow::closeSelectedDocuments);
    connect(list, &TableViewWidget::closeSignal, this, &MainWindow::closeListDocuments);
    connect(list, &TableViewWidget::destroySignal, this, &MainWindow::onListDestroyed);

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

void MainWindow::newCodeEditorEx(int tableID, int codeID, const QString &path)
{
    qDebug().noquote() << QStringLiteral("newCodeEditorEx  tableID:%1  CodeEditorExID:%2")
                              .arg(tableID)
                              .arg(codeID);

    auto *editor = new CodeEditorEx(tableID, codeID, path, nullptr);
    editor->setDropMode(dropModeSetting());

    connect(editor, &CodeEditorEx::destroySignal, this, &MainWindow::onDocumentDestroyed);
    connect(editor, &CodeEditorEx::tipSignal, m_tips, &DockWidgetTips::tipSlot);
    connect(editor, &CodeEditorEx::addToListSignal, this, &MainWindow::onDocumentSaved);
    connect(editor, &CodeEditorEx::windowActivateSignal, this,
            [this, editor] { setCurrentDocument(editor); });

    m_codeEditors.append(editor);
    setCurrentDocument(editor);
    ui->mdiArea_text->addSubWindow(editor);
    editor->show();
}

void MainWindow::openFiles(int tableID, QList<FileType *> files)
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
                ui->mdiArea_text->setActiveSubWindow(sub);
            open->activateWindow();
            setCurrentDocument(open);
        } else {
            newCodeEditorEx(tableID, file->id, file->path);
        }
    }
}

bool MainWindow::closeDocument(CodeEditorEx *editor)
{
    if (!editor->askToClose())
        return false;
    destroyDocument(editor);
    return true;
}

void MainWindow::destroyDocument(CodeEditorEx *editor)
{
    // The document goes before its frame: its save prompt runs an event loop,
    // which must not meet a sub-window that is half destroyed.
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
    delete editor;
    delete sub.data();
}

QList<CodeEditorEx *> MainWindow::documentsWhere(const std::function<bool(CodeEditorEx *)> &pick)
{
    QList<CodeEditorEx *> picked;
    for (int i = m_codeEditors.size() - 1; i >= 0; --i) {
        if (pick(m_codeEditors.at(i)))
            picked.append(m_codeEditors.at(i));
    }
    return picked;
}

void MainWindow::forEachStillOpen(const QList<CodeEditorEx *> &editors,
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

void MainWindow::closeDocuments(const QList<CodeEditorEx *> &editors)
{
    forEachStillOpen(editors, [this](CodeEditorEx *editor) { closeDocument(editor); });
}

void MainWindow::closeListDocuments(int tableID)
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

void MainWindow::closeSelectedDocuments(int tableID, QList<FileType *> files)
{
    closeDocuments(documentsWhere([tableID, &files](CodeEditorEx *editor) {
        return editor->tableID() == tableID &&
               std::any_of(files.cbegin(), files.cend(), [editor](const FileType *file) {
                   return file->id == editor->getCodeID() && file->path == editor->path();
               });
    }));
    showFirstList();
}

void MainWindow::onDocumentDestroyed(int ID)
{
    for (int i = m_codeEditors.size() - 1; i >= 0; --i) {
        if (m_codeEditors.at(i)->getCodeID() == ID)
            m_codeEditors.removeAt(i);
    }
    showFirstDocument();
}

void MainWindow::onListDestroyed(int tableID)
{
    closeListDocuments(tableID);
    for (int i = m_tables.size() - 1; i >= 0; --i) {
        if (m_tables.at(i)->tableID() == tableID)
            m_tables.removeAt(i);
    }
    showFirstList();
}

void MainWindow::onDocumentSaved(int tableID, int codeID, const QString &fileName)
{
    const bool toList = readSetting(configureFile(), QStringLiteral("text"),
                                    QStringLiteral("firstSaveToList"), QStringLiteral("1"))
                            .toInt() != 0;
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

void MainWindow::setCurrentDocument(CodeEditorEx *editor)
{
    m_curCodeEditor = editor;
    m_docLabel->setText(editor ? editor->path() : QString());
}

void MainWindow::setCurrentList(TableViewWidget *list)
{
    m_curTable = list;
}

void MainWindow::showFirstDocument()
{
    if (m_codeEditors.isEmpty()) {
        setCurrentDocument(nullptr);
        return;
    }
    CodeEditorEx *first = m_codeEditors.first();
    setCurrentDocument(first);
    if (auto *sub = qobject_cast<QMdiSubWindow *>(first->parentWidget()))
        ui->mdiArea_text->setActiveSubWindow(sub);
}

void MainWindow::showFirstList()
{
    if (m_tables.isEmpty()) {
        setCurrentList(nullptr);
        m_countLabel->clear();
        return;
    }
    setCurrentList(m_tables.first());
    m_tables.first()->activateWindow();
}

TableViewWidget *MainWindow::findList(int tableID) const
{
    for (TableViewWidget *list : m_tables) {
        if (list->tableID() == tableID)
            return list;
    }
    return nullptr;
}

void MainWindow::releaseDocumentsAndLists()
{
    const QList<TableViewWidget *> lists = findChildren<TableViewWidget *>();
    for (TableViewWidget *list : lists) {
        disconnect(list, nullptr, this, nullptr);
        disconnect(list->tableView(), nullptr, this, nullptr);
    }

    const QList<CodeEditorEx *> editors = findChildren<CodeEditorEx *>();
    for (CodeEditorEx *editor : editors)
        disconnect(editor, nullptr, this, nullptr);
    m_codeEditors.clear();
    m_curCodeEditor = nullptr;
    forEachStillOpen(editors, [this](CodeEditorEx *editor) { destroyDocument(editor); });
}

void MainWindow::on_action_newList_triggered()
{
    createList(QStringLiteral("List"), ++m_listCount);
}

void MainWindow::on_action_delAllList_triggered()
{
    const QList<TableViewWidget *> lists = m_tables;
    m_tables.clear();
    setCurrentList(nullptr);
    qDeleteAll(lists);
}

void MainWindow::on_action_new_triggered()
{
    // An untitled document takes a list number of its own: the list that
    // its first save creates.
    const int tableID = ++m_listCount;
    newCodeEditorEx(tableID, ++m_fileID, QString());
}

void MainWindow::on_action_add_triggered()
{
    if (!m_curTable) {
        if (m_tables.isEmpty())
            createList(QStringLiteral("List"), ++m_listCount);
        else
            setCurrentList(m_tables.first());
    }
    m_curTable->addFiles();
}

void MainWindow::on_action_open_triggered()
{
    if (m_curTable)
        m_curTable->openSelectedFiles();
}

void MainWindow::on_action_save_triggered()
{
    if (m_curCodeEditor)
        m_curCodeEditor->save(curTableID());
}

void MainWindow::on_action_close_triggered()
{
    if (!m_curCodeEditor || !m_curCodeEditor->save(curTableID()))
        return;
    // The document just saved is the one to close, even when another
    // sub-window holds the focus.
    closeDocument(m_curCodeEditor);
    showFirstDocument();
}

void MainWindow::on_action_del_triggered()
{
    if (m_curTable)
        m_curTable->removeSelected(true);
}

void MainWindow::on_action_openAll_triggered()
{
    const QList<TableViewWidget *> lists = m_tables;
    for (TableViewWidget *list : lists) {
        const QList<FileType *> files = list->fileList();
        if (files.isEmpty())
            break;
        openFiles(list->tableID(), files);
    }
}

void MainWindow::on_action_saveAll_triggered()
{
    forEachStillOpen(m_codeEditors, [this](CodeEditorEx *editor) { editor->save(curTableID()); });
}

void MainWindow::on_action_closeAll_triggered()
{
    // Only what could be saved is closed.
    closeDocuments(documentsWhere([](CodeEditorEx *editor) { return editor->save(-1); }));
    showFirstDocument();
}

void MainWindow::on_action_delAll_triggered()
{
    const QList<TableViewWidget *> lists = m_tables;
    for (TableViewWidget *list : lists)
        list->clearList();
    setCurrentDocument(nullptr);
}

void MainWindow::on_action_zoomIn_triggered()
{
    for (CodeEditorEx *editor : qAsConst(m_codeEditors))
        editor->zoomIn(1);
}

void MainWindow::on_action_zoomOut_triggered()
{
    for (CodeEditorEx *editor : qAsConst(m_codeEditors))
        editor->zoomOut(1);
}

void MainWindow::on_action_closeCurrent_triggered()
{
    m_tables.removeAll(m_curTable);
    setCurrentList(m_tables.isEmpty() ? nullptr : m_tables.first());
}

void MainWindow::on_action_closeOther_triggered()
{
    for (int i = m_tables.size() - 1; i >= 0; --i) {
        if (m_tables.at(i) != m_curTable)
            m_tables.takeAt(i)->deleteLater();
    }
}

// Host services of the plug-in interface.

void MainWindow::setFaceEnabled(bool enabled)
{
    setEnabled(enabled);
    if (!enabled)
        return;
    // A run has ended: documents without edits show what it wrote to their
    // files now, not only when they next get the focus.
    for (CodeEditorEx *editor : qAsConst(m_codeEditors))
        editor->reloadIfChangedOnDisk();
}

void MainWindow::setHarlithFace(HarlithFace *peer)
{
    m_curPlus = peer;
    // A null peer only forgets the current plug-in; there is nobody to name.
    if (!peer)
        return;
    emitTip(this, Tip::CurrentPluginSet,
            QStringLiteral("当前插件:") + peer->plusName() + QStringLiteral("  ") +
                peer->plusVersion());
}

QString MainWindow::getHarlithFaceName()
{
    qDebug() << "getHarlithFaceName"
             << "mPlusName:" << mPlusName;
    return mPlusName;
}

QWidget *MainWindow::mainWidget()
{
    return this;
}

QDockWidget *MainWindow::createPlusDock(const QString &plusName)
{
    // The caller becomes the dock's owner even when the dock already exists:
    // that is how a plug-in sees that another one took the dock meanwhile.
    mPlusName = plusName;
    if (m_plusDock)
        return m_plusDock;

    m_plusDock = new QDockWidget(this);
    m_plusDock->setObjectName(QStringLiteral("dockWidget_plus"));
    m_plusDock->setFixedSize(200, centralWidget()->height());
    m_plusDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_plusDock->setAllowedAreas(Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_plusDock);
    return m_plusDock;
}

void MainWindow::newList(const QString &name)
{
    createList(name, ++m_listCount);
}

void MainWindow::sendTip(const int &var1, const int &var2, const QString &tipText)
{
    // All worker threads are done: the plug-in's run no longer holds the
    // window.
    const Tip::Pair tip{var1, var2};
    if (tip == Tip::AllThreadsDone)
        setFaceEnabled(true);
    // The plug-in's panel closed.
    if (tip == Tip::PluginClosed) {
        m_curPlus = nullptr;
        emitTip(this, Tip::CurrentPluginDropped, QStringLiteral("当前插件: Q_NULLPTR"));
    }
    emit tipSignal(var1, var2, tipText);
}

void MainWindow::setRangeLabel(const int &range)
{
    switch (range) {
    case 1:
        m_rangeLabel->setText(QStringLiteral("所有列表"));
        break;
    case 2:
        m_rangeLabel->setText(QStringLiteral("当前列表"));
        break;
    case 3:
        m_rangeLabel->setText(QStringLiteral("当前文档"));
        break;
    default:
        m_rangeLabel->clear();
        break;
    }
}

QString MainWindow::curFileName()
{
    return m_curCodeEditor ? m_curCodeEditor->path() : QString();
}

int MainWindow::curCodeEditorID()
{
    return m_curCodeEditor ? m_curCodeEditor->getCodeID() : -1;
}

int MainWindow::curTableID()
{
    return m_curTable ? m_curTable->tableID() : -1;
}

int MainWindow::curFileCount()
{
    return m_curTable ? m_curTable->fileCount() : -1;
}

QList<FileType *> MainWindow::curFileList()
{
    return m_curTable ? m_curTable->fileList() : QList<FileType *>();
}

void MainWindow::appendFileToList(const QString &path, const QString &listName)
{
    // Generated files go to a list of the caller's name; the current list
    // serves while its title still starts with that name.
    if (!m_curTable || !m_curTable->windowTitle().startsWith(listName))
        createList(listName, ++m_listCount);
    m_curTable->addFile(path, ++m_fileID);
    m_curTable->refresh();
}

TableViewWidget *MainWindow::tableAt(int index) const
{
    return index >= 0 && index < m_tables.size() ? m_tables.at(index) : nullptr;
}

int MainWindow::tableID(int index)
{
    const TableViewWidget *list = tableAt(index);
    return list ? list->tableID() : -1;
}

QString MainWindow::tableName(int index)
{
    const TableViewWidget *list = tableAt(index);
    return list ? list->windowTitle() : QString();
}

int MainWindow::fileCount(int index)
{
    const TableViewWidget *list = tableAt(index);
    return list ? list->fileCount() : -1;
}

QList<FileType *> MainWindow::fileList(int index)
{
    const TableViewWidget *list = tableAt(index);
    return list ? list->fileList() : QList<FileType *>();
}

int MainWindow::tableCount()
{
    return m_tables.size();
}

void MainWindow::explain(const QString &explain)
{
    emit explainSignal(explain);
}

void MainWindow::appendStep(const QString &stepText, const int &range)
{
    // A step's text is "operation:parameters"; anything else cannot fill the
    // row's two columns.
    const QStringList parts = stepText.split(QLatin1Char(':'));
    if (parts.size() != 2) {
        emitTip(this, Tip::AddStepFailed,
                QStringLiteral("length:") + QString::number(stepText.size()) + QStringLiteral(" ") +
                    stepText);
        return;
    }
    if (parts.at(0) == QLatin1String("None") && parts.at(1) == QLatin1String("None")) {
        emitTip(this, Tip::NoOperationChosen);
        return;
    }
    if (mStepWidget && mStepPlugin) {
        mStepWidget->addStepRow(parts.at(0), parts.at(1), range);
        mStepVector.append(qMakePair(mStepId, mStepPlugin));
    }
    sendTip(Tip::StepListLength,
            QStringLiteral("MainWindow vector length:") + QString::number(mStepVector.size()));
}

void MainWindow::stepDone()
{
    emit stepDoneSignal();
}

// Plug-in loading.

QString MainWindow::pluginFolder(const QString &programFolder)
{
    QDir dir(programFolder);
    // A build tree keeps the program one level below the plugins folder.
    const QString name = dir.dirName().toLower();
    if (name == QLatin1String("debug") || name == QLatin1String("release"))
        dir.cdUp();
    // Without a plugins folder the plug-ins may stand beside the program;
    // whatever else is there fails to load and is passed over.
    dir.cd(QStringLiteral("plugins"));
    return dir.absolutePath();
}

void MainWindow::loadPlugins()
{
    QString text;
    g_readWriteTxt.readTxt(plusFile(), text);

    QStringList lines;
    int letter = 'A';
    auto bind = [&](QObject *object) {
        auto *face = qobject_cast<HarlithFace *>(object);
        if (!face)
            return;
        const QString key = face->plusName() + QStringLiteral(" ") + face->plusVersion();
        // A plain substring test, as the table has always been read.
        const bool enabled = text.contains(key + QStringLiteral(",2"));
        lines << key + (enabled ? QStringLiteral(",2") : QStringLiteral(",0"));
        addPlus(object, &MainWindow::onPlusActionTriggered, enabled, letter);
        ++letter;
    };

    const QObjectList statics = QPluginLoader::staticInstances();
    for (QObject *object : statics)
        bind(object);

    const QDir dir(pluginFolder(QCoreApplication::applicationDirPath()));
    const QStringList files = dir.entryList(QDir::Files, QDir::NoSort);
    for (const QString &file : files) {
        // The loader goes, the library stays loaded for the whole run.
        QPluginLoader loader(dir.absoluteFilePath(file));
        bind(loader.instance());
    }

    const QString table = lines.join(QLatin1Char('\n'));
    if (table != text)
        g_readWriteTxt.writeTxt(plusFile(), table);
}

void MainWindow::addPlus(QObject *plugin, void (MainWindow::*member)(), bool enabled, int letter)
{
    auto *face = qobject_cast<HarlithFace *>(plugin);
    if (!face)
        return;
    face->setHarlithFace(this);
    const QString key = face->plusName() + QStringLiteral(" ") + face->plusVersion();
    emitTip(this, Tip::PluginLoaded, key);

    // The action belongs to the plug-in, which is how a trigger finds it.
    auto *action =
        new QAction(key + QStringLiteral("(&") + QChar(letter) + QStringLiteral(")"), plugin);
    connect(action, &QAction::triggered, this, member);
    ui->menu_p->addAction(action);

    if (enabled) {
        face->showPlus(m_plusX, m_plusY);
        m_plusX += 100;
    }
}

void MainWindow::onPlusActionTriggered()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action || !action->parent())
        return;
    auto *face = qobject_cast<HarlithFace *>(action->parent());
    if (!face)
        return;
    if (face->showPlus(m_plusX, m_plusY))
        m_plusX += 100;
}
