#include "MainWindow.h"
#include "DockWidgetTips.h"
#include "Option.h"
#include "ReadWriteTxt.h"
#include "Settings.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPluginLoader>
#include <QScreen>
#include <QStatusBar>

#include <cstdlib>

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
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::showEvent(QShowEvent *event)
{
    Q_UNUSED(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    loadPlugins();
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

void MainWindow::on_action_step_triggered() {}

void MainWindow::on_action_about_triggered()
{
    QMessageBox::about(this, QStringLiteral("关于:"),
                       QStringLiteral("KestruneExcel处理工具 V") +
                           QCoreApplication::applicationVersion());
}

void MainWindow::onOptionSaved() {}

// Documents and lists.

void MainWindow::on_action_newList_triggered() {}

void MainWindow::on_action_delAllList_triggered() {}

void MainWindow::on_action_new_triggered() {}

void MainWindow::on_action_add_triggered() {}

void MainWindow::on_action_open_triggered() {}

void MainWindow::on_action_save_triggered() {}

void MainWindow::on_action_close_triggered() {}

void MainWindow::on_action_del_triggered() {}

void MainWindow::on_action_openAll_triggered() {}

void MainWindow::on_action_saveAll_triggered() {}

void MainWindow::on_action_closeAll_triggered() {}

void MainWindow::on_action_delAll_triggered() {}

void MainWindow::on_action_zoomIn_triggered() {}

void MainWindow::on_action_zoomOut_triggered() {}

void MainWindow::on_action_closeCurrent_triggered() {}

void MainWindow::on_action_closeOther_triggered() {}

// Host services of the plug-in interface.

void MainWindow::setFaceEnabled(bool enabled)
{
    setEnabled(enabled);
}

void MainWindow::setHarlithFace(HarlithFace *peer)
{
    m_curPlus = peer;
    // A null peer only forgets the current plug-in; there is nobody to name.
    if (!peer)
        return;
    emit tipSignal(66, 66,
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
    Q_UNUSED(name);
}

void MainWindow::sendTip(const int &var1, const int &var2, const QString &tipText)
{
    // All worker threads are done: the plug-in's run no longer holds the
    // window.
    if (var1 == -4 && var2 == 2)
        setFaceEnabled(true);
    // The plug-in's panel closed.
    if (var1 == 11 && var2 == 13) {
        m_curPlus = nullptr;
        emit tipSignal(66, 67, QStringLiteral("当前插件: Q_NULLPTR"));
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
    return QString();
}

int MainWindow::curCodeEditorID()
{
    return -1;
}

int MainWindow::curTableID()
{
    return -1;
}

int MainWindow::curFileCount()
{
    return -1;
}

QList<FileType *> MainWindow::curFileList()
{
    return QList<FileType *>();
}

void MainWindow::appendFileToList(const QString &path, const QString &listName)
{
    Q_UNUSED(path);
    Q_UNUSED(listName);
}

int MainWindow::tableID(int index)
{
    Q_UNUSED(index);
    return -1;
}

QString MainWindow::tableName(int index)
{
    Q_UNUSED(index);
    return QString();
}

int MainWindow::fileCount(int index)
{
    Q_UNUSED(index);
    return -1;
}

QList<FileType *> MainWindow::fileList(int index)
{
    Q_UNUSED(index);
    return QList<FileType *>();
}

int MainWindow::tableCount()
{
    return 0;
}

void MainWindow::explain(const QString &explain)
{
    emit explainSignal(explain);
}

void MainWindow::appendStep(const QString &stepText, const int &range)
{
    Q_UNUSED(range);
    // A step's text is "operation:parameters"; anything else cannot fill the
    // row's two columns.
    const QStringList parts = stepText.split(QLatin1Char(':'));
    if (parts.size() != 2) {
        emit tipSignal(-5, 0,
                       QStringLiteral("length:") + QString::number(stepText.size()) +
                           QStringLiteral(" ") + stepText);
        return;
    }
    if (parts.at(0) == QLatin1String("None") && parts.at(1) == QLatin1String("None")) {
        emit tipSignal(-6, 2, QString());
        return;
    }
    sendTip(68, 69, QStringLiteral("MainWindow vector length:") + QString::number(m_steps.size()));
}

void MainWindow::stepDone()
{
    emit stepDoneSignal();
}

// Plug-in loading.

namespace {

const QString kPlusFile = QStringLiteral("plus.ini");

} // namespace

QString MainWindow::pluginFolder(const QString &programFolder)
{
    QDir dir(programFolder);
    // A build tree keeps the program one level below the plugins folder.
    const QString name = dir.dirName().toLower();
    if (name == QLatin1String("debug") || name == QLatin1String("release"))
        dir.cdUp();
    // Without a plugins folder nothing is searched: the program's own folder
    // is no place to load libraries from.
    if (!dir.cd(QStringLiteral("plugins")))
        return QString();
    return dir.absolutePath();
}

void MainWindow::loadPlugins()
{
    QString text;
    g_readWriteTxt.readTxt(kPlusFile, text);

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

    const QString folder = pluginFolder(QCoreApplication::applicationDirPath());
    if (!folder.isEmpty()) {
        const QDir dir(folder);
        const QStringList files = dir.entryList(QDir::Files, QDir::NoSort);
        for (const QString &file : files) {
            // The loader goes, the library stays loaded for the whole run.
            QPluginLoader loader(dir.absoluteFilePath(file));
            bind(loader.instance());
        }
    }

    const QString table = lines.join(QLatin1Char('\n'));
    if (table != text)
        g_readWriteTxt.writeTxt(kPlusFile, table);
}

void MainWindow::addPlus(QObject *plugin, void (MainWindow::*member)(), bool enabled, int letter)
{
    auto *face = qobject_cast<HarlithFace *>(plugin);
    if (!face)
        return;
    face->setHarlithFace(this);
    const QString key = face->plusName() + QStringLiteral(" ") + face->plusVersion();
    emit tipSignal(11, 11, key);

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
