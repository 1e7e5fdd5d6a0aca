#include "DockWidgetTips.h"
#include "TipCatalogue.h"
#include "ui_DockWidgetTips.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTime>

namespace {

// How many times as long as the last pass took must pass before the next
// one, and the most any tip waits, in milliseconds.
constexpr qint64 kRestPerPass = 2;
constexpr qint64 kLongestWaitMs = 100;

void noContextMenus(QTextBrowser *pane)
{
    pane->setContextMenuPolicy(Qt::NoContextMenu);
    pane->horizontalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    pane->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
}

QString helpText()
{
    return QStringLiteral("<p></p>") + QStringLiteral("<p>以<b>替换</b>操作作为示例：</p>") +
           QStringLiteral(
               "<p>1.<b>添加需要处理的文件</b>: "
               "文件→添加文件到列表(Ctrl+L),选择需要处理的文件点击【打开】添加到列表中;</p>") +
           QStringLiteral("<p>2.打开<b>替换</b>工具: 插件→【Text V0.0.0.1】,点击【替换1】;</br>") +
           QStringLiteral("<p>3.在右边<b>补充</b>处理<b>参数</b>: "
                          "填写被替换关键字及欲替换为的内容,内容条目数量需要一致;</p>") +
           QStringLiteral(
               "<p>4.选择需要处理的文件: <b>【All】</b>所有List列表中添加的文本文件;<b>【List】</"
               "b>当前List列表中的文件;<b>【Cur】</b>被打开且当前被激活的文本文件;</p>") +
           QStringLiteral("<p>5.点击<b>【处理】</b>按钮即可完成替换操作</p>");
}

} // namespace

DockWidgetTips::DockWidgetTips(QWidget *parent) : QDockWidget(parent), ui(new Ui::DockWidgetTips)
{
    ui->setupUi(this);
    noContextMenus(ui->textBrowser_message);
    noContextMenus(ui->textBrowser_explain);
    ui->textBrowser_explain->setHtml(helpText());

    m_showTimer.setSingleShot(true);
    m_showTimer.setTimerType(Qt::PreciseTimer);
    m_sinceLastPass.start();
    connect(&m_showTimer, &QTimer::timeout, this, &DockWidgetTips::showPendingTips);
}

DockWidgetTips::~DockWidgetTips()
{
    delete ui;
}

void DockWidgetTips::tipSlot(const int &var1, const int &var2, const QString &tipText)
{
    m_pendingTips << TipCatalogue::line(QTime::currentTime(), var1, var2, tipText);
    // Every line put at the top moves all older lines down, which costs a
    // pass over the whole shown log, so a shown log takes the tips that
    // arrived meanwhile in one pass (see showPendingTips); a log nobody sees
    // takes each line at once.
    if (!isVisible())
        showPendingTips();
    else if (!m_showTimer.isActive())
        m_showTimer.start(static_cast<int>(
            qBound<qint64>(0, m_restAfterPassMs - m_sinceLastPass.elapsed(), kLongestWaitMs)));
}

void DockWidgetTips::showPendingTips()
{
    if (m_pendingTips.isEmpty())
        return;
    // Newest first. Blanks separate the time, the codes and the text, so they
    // must not collapse; the lines stand without space between them.
    QString html;
    for (int i = m_pendingTips.size() - 1; i >= 0; --i)
        html += QStringLiteral(
                    "<p style=\"white-space:pre-wrap; margin-top:0px; margin-bottom:0px;\">") +
                m_pendingTips.at(i);
    m_pendingTips.clear();

    m_sinceLastPass.start();
    QTextCursor cursor(ui->textBrowser_message->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertHtml(html);
    cursor.endEditBlock();
    // The text layout walks every older line to move it down, so a pass
    // costs in proportion to the log's length. Tips that come one at a time
    // (a multi-step run, a series of saves) would each pay a whole pass;
    // resting a few times the pass's cost before the next one lets the tips
    // arriving meanwhile share it, which keeps each tip's share of the work
    // the same however long the log has grown. A tip after a quiet spell
    // shows at once.
    m_restAfterPassMs = m_sinceLastPass.restart() * kRestPerPass;
}

void DockWidgetTips::explainSlot(const QString &explain)
{
    ui->textBrowser_explain->setHtml(explain);
}
