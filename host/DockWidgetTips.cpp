#include "DockWidgetTips.h"
#include "TipCatalogue.h"
#include "ui_DockWidgetTips.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTime>

namespace {

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
    m_showTimer.setInterval(0);
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
    // pass over the whole shown log. The tips of a run arrive together once
    // its jobs are done, so a shown log takes them in one pass when control
    // returns to the event loop; a log nobody sees takes each line at once.
    if (!isVisible())
        showPendingTips();
    else if (!m_showTimer.isActive())
        m_showTimer.start();
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

    QTextCursor cursor(ui->textBrowser_message->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertHtml(html);
    cursor.endEditBlock();
}

void DockWidgetTips::explainSlot(const QString &explain)
{
    ui->textBrowser_explain->setHtml(explain);
}
