#include "MainWindow.h"
#include "DockWidgetTips.h"
#include "Option.h"
#include "Settings.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
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
    Q_UNUSED(peer);
}

QString MainWindow::getHarlithFaceName()
{
    return QString();
}

QWidget *MainWindow::mainWidget()
{
    return nullptr;
}

QDockWidget *MainWindow::createPlusDock(const QString &plusName)
{
    Q_UNUSED(plusName);
    return nullptr;
}

void MainWindow::newList(const QString &name)
{
    Q_UNUSED(name);
}

void MainWindow::sendTip(const int &var1, const int &var2, const QString &tipText)
{
    Q_UNUSED(var1);
    Q_UNUSED(var2);
    Q_UNUSED(tipText);
}

void MainWindow::setRangeLabel(const int &range)
{
    Q_UNUSED(range);
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
    Q_UNUSED(explain);
}

void MainWindow::appendStep(const QString &stepText, const int &range)
{
    Q_UNUSED(stepText);
    Q_UNUSED(range);
}

void MainWindow::stepDone() {}
