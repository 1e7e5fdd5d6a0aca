#include "MainWindow.h"
#include "CodeEditorEx.h"
#include "ConfigureSetting.h"
#include "DockWidgetTips.h"
#include "DocumentRegistry.h"
#include "Option.h"
#include "PluginManager.h"
#include "ReadWriteTxt.h"
#include "Settings.h"
#include "StepCoordinator.h"
#include "TableViewWidget.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <cstdlib>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    setWindowState(Qt::WindowMaximized);
    setWindowTitle(QStringLiteral("KestruneExcel批量处理工具 V") +
                   QCoreApplication::applicationVersion());

    applyCodecSetting(Configure::TextCode.read());

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

    m_documents = std::make_unique<DocumentRegistry>(this, ui->mdiArea_text, m_tips, m_countLabel,
                                                     m_docLabel);

    m_plugins = new PluginManager(this, ui->menu_p, this);
    connect(m_plugins, &PluginManager::tipSignal, this, &MainWindow::tipSignal);

    m_steps = std::make_unique<StepCoordinator>(this, [this] { return m_curPlus; });
    connect(m_steps.get(), &StepCoordinator::tipSignal, this, &MainWindow::tipSignal);
    connect(m_steps.get(), &StepCoordinator::allStepsDone, this, [this] { setFaceEnabled(true); });
    connect(this, &MainWindow::stepDoneSignal, m_steps.get(), &StepCoordinator::stepDone);

    const int listNumber = Configure::ListNumber.read().toInt();
    for (int i = 0; i < listNumber; ++i)
        m_documents->newList(QStringLiteral("List"));
}

MainWindow::~MainWindow()
{
    // The step window's last clear tells the plug-ins to drop their steps:
    // it goes first, while every plug-in and list is still there.
    m_steps.reset();
    // Documents may still ask to be saved as they close: let them ask while
    // the window is whole, and report nothing back to a window that is going.
    m_documents->releaseDocumentsAndLists();
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
    QTimer::singleShot(0, m_documents.get(), &DocumentRegistry::raiseLists);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_documents->closeAllDocuments())
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
    m_steps->showWindow();
}

void MainWindow::on_action_about_triggered()
{
    QMessageBox::about(this, QStringLiteral("关于:"),
                       QStringLiteral("KestruneExcel处理工具 V") +
                           QCoreApplication::applicationVersion());
}

void MainWindow::onOptionSaved()
{
    m_documents->applyDropSetting();
}

// Documents and lists.

void MainWindow::createList(const QString &name, int number)
{
    m_documents->createList(name, number);
}

void MainWindow::newCodeEditorEx(int tableID, int codeID, const QString &path)
{
    m_documents->newCodeEditorEx(tableID, codeID, path);
}

void MainWindow::openFiles(int tableID, QList<FileType *> files)
{
    m_documents->openFiles(tableID, files);
}

void MainWindow::closeListDocuments(int tableID)
{
    m_documents->closeListDocuments(tableID);
}

void MainWindow::closeSelectedDocuments(int tableID, QList<FileType *> files)
{
    m_documents->closeSelectedDocuments(tableID, files);
}

void MainWindow::on_action_newList_triggered()
{
    m_documents->newList(QStringLiteral("List"));
}

void MainWindow::on_action_delAllList_triggered()
{
    m_documents->closeAllLists();
}

void MainWindow::on_action_new_triggered()
{
    m_documents->newDocument();
}

void MainWindow::on_action_add_triggered()
{
    m_documents->addFilesToCurrentList();
}

void MainWindow::on_action_open_triggered()
{
    if (TableViewWidget *list = m_documents->currentList())
        list->openSelectedFiles();
}

void MainWindow::on_action_save_triggered()
{
    m_documents->saveCurrentDocument();
}

void MainWindow::on_action_close_triggered()
{
    m_documents->closeCurrentDocument();
}

void MainWindow::on_action_del_triggered()
{
    if (TableViewWidget *list = m_documents->currentList())
        list->removeSelected(true);
}

void MainWindow::on_action_openAll_triggered()
{
    m_documents->openAllFiles();
}

void MainWindow::on_action_saveAll_triggered()
{
    m_documents->saveAllDocuments();
}

void MainWindow::on_action_closeAll_triggered()
{
    m_documents->closeSavedDocuments();
}

void MainWindow::on_action_delAll_triggered()
{
    m_documents->emptyAllLists();
}

void MainWindow::on_action_zoomIn_triggered()
{
    for (CodeEditorEx *editor : m_documents->documents())
        editor->zoomIn(1);
}

void MainWindow::on_action_zoomOut_triggered()
{
    for (CodeEditorEx *editor : m_documents->documents())
        editor->zoomOut(1);
}

void MainWindow::on_action_closeCurrent_triggered()
{
    m_documents->dropCurrentList();
}

void MainWindow::on_action_closeOther_triggered()
{
    m_documents->closeOtherLists();
}

// Host services of the plug-in interface.

void MainWindow::setFaceEnabled(bool enabled)
{
    setEnabled(enabled);
    if (!enabled)
        return;
    // A run has ended: documents without edits show what it wrote to their
    // files now, not only when they next get the focus.
    for (CodeEditorEx *editor : m_documents->documents())
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
    m_documents->newList(name);
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
    const CodeEditorEx *editor = m_documents->currentDocument();
    return editor ? editor->path() : QString();
}

int MainWindow::curCodeEditorID()
{
    const CodeEditorEx *editor = m_documents->currentDocument();
    return editor ? editor->getCodeID() : -1;
}

int MainWindow::curTableID()
{
    return m_documents->curTableID();
}

int MainWindow::curFileCount()
{
    const TableViewWidget *list = m_documents->currentList();
    return list ? list->fileCount() : -1;
}

QList<FileType *> MainWindow::curFileList()
{
    const TableViewWidget *list = m_documents->currentList();
    return list ? list->fileList() : QList<FileType *>();
}

void MainWindow::appendFileToList(const QString &path, const QString &listName)
{
    m_documents->appendFileToList(path, listName);
}

int MainWindow::tableID(int index)
{
    const TableViewWidget *list = m_documents->listAt(index);
    return list ? list->tableID() : -1;
}

QString MainWindow::tableName(int index)
{
    const TableViewWidget *list = m_documents->listAt(index);
    return list ? list->windowTitle() : QString();
}

int MainWindow::fileCount(int index)
{
    const TableViewWidget *list = m_documents->listAt(index);
    return list ? list->fileCount() : -1;
}

QList<FileType *> MainWindow::fileList(int index)
{
    const TableViewWidget *list = m_documents->listAt(index);
    return list ? list->fileList() : QList<FileType *>();
}

int MainWindow::tableCount()
{
    return m_documents->lists().size();
}

void MainWindow::explain(const QString &explain)
{
    emit explainSignal(explain);
}

void MainWindow::appendStep(const QString &stepText, const int &range)
{
    m_steps->appendStep(stepText, range);
}

void MainWindow::stepDone()
{
    emit stepDoneSignal();
}

// Plug-in loading.

QString MainWindow::pluginFolder(const QString &programFolder)
{
    return PluginManager::pluginFolder(programFolder);
}

void MainWindow::loadPlugins()
{
    m_plugins->loadPlugins([this](QAction *action) {
        connect(action, &QAction::triggered, this, &MainWindow::onPlusActionTriggered);
    });
}

void MainWindow::addPlus(QObject *plugin, void (MainWindow::*member)(), bool enabled, int letter)
{
    m_plugins->addPlus(
        plugin,
        [this, member](QAction *action) { connect(action, &QAction::triggered, this, member); },
        enabled, letter);
}

void MainWindow::onPlusActionTriggered()
{
    m_plugins->showPanelOf(qobject_cast<QAction *>(sender()));
}
