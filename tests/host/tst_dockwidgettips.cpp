#include "DockWidgetTips.h"
#include "Tip.h"
#include "TipCatalogue.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

namespace {

const QTime kAt(9, 5, 7);

QString lineAt(Tip::Pair tip, const QString &text = QString())
{
    return TipCatalogue::line(kAt, tip.var1, tip.var2, text);
}

void tell(DockWidgetTips &dock, Tip::Pair tip, const QString &text)
{
    dock.tipSlot(tip.var1, tip.var2, text);
}

QString unknownText(int code)
{
    return QStringLiteral(" <b><font color='#FF0000'>未知错误</font></b>代码") +
           QString::number(code) + QStringLiteral("</p>");
}

QTextBrowser *messagePane(DockWidgetTips &dock)
{
    return dock.findChild<QTextBrowser *>(QStringLiteral("textBrowser_message"));
}

QTextBrowser *explainPane(DockWidgetTips &dock)
{
    return dock.findChild<QTextBrowser *>(QStringLiteral("textBrowser_explain"));
}

// What the pane showed when every tip re-read the whole log as HTML and put
// the new line in front of it.
void prependByRebuild(QTextBrowser *pane, const QString &line)
{
    pane->setHtml(line + pane->toHtml());
}

QStringList paragraphs(const QTextDocument *document)
{
    QStringList found;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        found << block.text();
    return found;
}

} // namespace

class TestDockWidgetTips : public QObject
{
    Q_OBJECT
private slots:
    void fullForm();
    void fullFormWithoutTextHasNoTrailingBlanks();
    void bareFormHidesCodesAndText();
    void stepForm();
    void codesOnlyForm();
    void fallbacks_data();
    void fallbacks();
    void everyRowOfTheCatalogue_data();
    void everyRowOfTheCatalogue();
    void everyTipNameHasExactlyOneRow();
    void form();
    void helpTextAndExplanation();
    void newestMessageOnTop();
    void showsWhatTheRebuildShowed();
    void shownLogTakesABurstAtOnce();
    void shownLogTakesTipsOneAtATime_data();
    void shownLogTakesTipsOneAtATime();
    void messageKeepsItsMarkup();
    void tipTextShowsAsItself();
};

void TestDockWidgetTips::fullForm()
{
    QCOMPARE(lineAt(Tip::FileSaved, QStringLiteral("D:/a.txt")),
             QStringLiteral("09:05:07  0 4   D:/a.txt 文件保存<b>成功</b></p>"));
}

void TestDockWidgetTips::fullFormWithoutTextHasNoTrailingBlanks()
{
    QCOMPARE(lineAt(Tip::NoOperationChosen),
             QStringLiteral("09:05:07  -6 2 <b><font "
                            "color='#FF0000'>没有</font></b>选择需要处理的操作</p>"));
}

void TestDockWidgetTips::bareFormHidesCodesAndText()
{
    QCOMPARE(lineAt(Tip::AllThreadsDone, QStringLiteral("ignored")),
             QStringLiteral("09:05:07   所有线程<b>全部处理完毕</b></p>"));
    QCOMPARE(lineAt(Tip::ThreadStepDone, QStringLiteral("ignored")),
             QStringLiteral("09:05:07   线程当前步骤处理<b>完毕</b></p>"));
}

void TestDockWidgetTips::stepForm()
{
    QCOMPARE(lineAt(Tip::StepStarted, QStringLiteral("2")),
             QStringLiteral("09:05:07  -5 1   步骤2<b>开始处理</b></p>"));
    QCOMPARE(lineAt(Tip::StepFinished, QStringLiteral("12")),
             QStringLiteral("09:05:07  -5 2   步骤12<b>处理完成</b></p>"));
    QCOMPARE(lineAt(Tip::StepFinished), QStringLiteral("09:05:07  -5 2   步骤<b>处理完成</b></p>"));
}

void TestDockWidgetTips::codesOnlyForm()
{
    QCOMPARE(lineAt(Tip::CurrentPluginSet, QStringLiteral("当前插件:Text  V0.0.0.7")),
             QStringLiteral("09:05:07  66 66   当前插件:Text  V0.0.0.7"));
    QCOMPARE(lineAt(Tip::StepListLength), QStringLiteral("09:05:07  68 69"));
    QCOMPARE(lineAt({-8, 0}, QStringLiteral("t")), QStringLiteral("09:05:07  -8 0   t"));
    QCOMPARE(lineAt({5, 1}), QStringLiteral("09:05:07  5 1"));
    QCOMPARE(lineAt({-10, -3}), QStringLiteral("09:05:07  -10 -3"));
}

void TestDockWidgetTips::fallbacks_data()
{
    QTest::addColumn<int>("var1");
    QTest::addColumn<int>("var2");
    QTest::addColumn<int>("code");
    QTest::newRow("files, negative") << 0 << -1 << 0;
    QTest::newRow("files, gap") << 0 << 9 << 0;
    QTest::newRow("lists") << 10 << 3 << 10;
    QTest::newRow("plug-ins say 7") << 11 << 15 << 7;
    QTest::newRow("word lists, 0") << -1 << 0 << 1;
    QTest::newRow("base") << -2 << 1 << 2;
    QTest::newRow("format") << -3 << -1 << 3;
    QTest::newRow("threads") << -4 << 4 << 4;
    QTest::newRow("steps") << -5 << 4 << 5;
    QTest::newRow("parameters") << -6 << 5 << 6;
    QTest::newRow("keys") << -7 << 1 << 7;
    QTest::newRow("choice") << -9 << 0 << 9;
}

void TestDockWidgetTips::fallbacks()
{
    QFETCH(int, var1);
    QFETCH(int, var2);
    QFETCH(int, code);
    const TipCatalogue::Entry found = TipCatalogue::entry(var1, var2);
    QCOMPARE(found.form, TipCatalogue::Form::Full);
    QCOMPARE(found.text, unknownText(code));
    QCOMPARE(lineAt({var1, var2}, QStringLiteral("p")),
             QStringLiteral("09:05:07  %1 %2   p").arg(var1).arg(var2) + unknownText(code));
}

void TestDockWidgetTips::everyRowOfTheCatalogue_data()
{
    QTest::addColumn<int>("var1");
    QTest::addColumn<int>("var2");
    QTest::addColumn<QString>("text");
    auto row = [](Tip::Pair tip, const char *text) {
        QTest::addRow("%d %d", tip.var1, tip.var2)
            << tip.var1 << tip.var2 << QString::fromUtf8(text);
    };
    row(Tip::FileNotFound, " <b><font color='#FF0000'>没有发现</font></b>该文件</p>");
    row(Tip::FileUnreadable, "该文件<b><font color='#FF0000'>不可读</font></b></p>");
    row(Tip::FileUnwritable, " 该文件<b><font color='#FF0000'>不可写</font></b></p>");
    row(Tip::FileSaveFailed, " 文件保存<b><font color='#FF0000'>失败</font></b></p>");
    row(Tip::NoFilesToProcess, " <font color='#FF0000'>没有</font>需要处理的文件请添加</p>");
    row(Tip::FileExists, " 该文件<b><font color='#FF0000'>已存在</font></b></p>");
    row(Tip::FileRenamed, " 文件重命名成功</p>");
    row(Tip::FileRenameFailed, " 文件重命名<b><font color='#FF0000'>失败</font></b></p>");
    row(Tip::FolderMissing, " 目录<b><font color='#FF0000'>不存在</font></b></p>");
    row(Tip::OfficeMissing,
        " OFFICE或WPS<b><font color='#FF0000'>没有安装</font></b>，需要安装OFFICE或WPS</p>");
    row(Tip::FileListEmpty, " 文件列表为<b><font color='#FF0000'>空</font></b></p>");
    row(Tip::FileListAEmpty, " 文件列表A为<b><font color='#FF0000'>空</font></b></p>");
    row(Tip::FileListBEmpty, " 文件列表B为<b><font color='#FF0000'>空</font></b></p>");
    row(Tip::PluginLoaded, " 加载插件<b>成功</b></p>");
    row(Tip::PluginOpened, " 插件打开</p>");
    row(Tip::PluginClosed, " 插件关闭</p>");
    row(Tip::NoPluginOpen, " 没有打开任何插件工具,请打开需要的插件功能</p>");
    row(Tip::ScriptListLinesDiffer, " 繁简转换:替换相关配置行数<b><font "
                                    "color='#FF0000'>不一致</font></b>请【编辑对应转换文档】</p>");
    row(Tip::CustomListLinesDiffer, " 自定义转换:替换相关配置行数<b><font "
                                    "color='#FF0000'>不一致</font></b>请【编辑对应替换文档】</p>");
    row(Tip::ScriptListEmpty,
        " 繁简转换:替换相关配置文件没有内容,请添加(每行一个)请【编辑对应转换文档】</p>");
    row(Tip::CustomListEmpty,
        " 自定义转换:替换相关配置文件没有替换内容,请添加(每行一个)请【编辑对应替换文档】</p>");
    row(Tip::RegionListsAreSamples,
        " 繁简转换:大陆、香港、台湾转换这里仅做了词组示例,请自行补充添加</p>");
    row(Tip::BaseConversionFailed, " 进制转换<b><font color='#FF0000'>失败</font></b>,请检查</p>");
    row(Tip::FormatTwoNotCustom,
        " 文本格式二<b><font color='#FF0000'>不支持</font></b>自定义格式切换</p>");
    row(Tip::FileDone, " 子线程文件处理<b>完毕</b></p>");
    row(Tip::ThreadPoolFailed, " 线程池启动<b><font color='#FF0000'>失败</font></b></p>");
    row(Tip::AddStepFailed, " 添加步骤<b><font color='#FF0000'>失败</font></b></p>");
    row(Tip::AllStepsDone, " <b>全部</b>步骤处理<b>完毕</b></p>");
    row(Tip::ParametersInvalid,
        " 操作<b><font color='#FF0000'>取消</font></b>参数设置有误,请检查</p>");
    row(Tip::NoStepsAdded,
        " <b><font color='#FF0000'>没有添加</font></b>需要处理文本的步骤请添加</p>");
    row(Tip::NoStepsToRemove,
        " <b><font color='#FF0000'>没有</font></b>可以删除的文本处理步骤</p>");
    row(Tip::NoStepChosenToRemove,
        " <b><font color='#FF0000'>没有</font></b>选择需要删除的文本处理步骤</p>");
    row(Tip::EmptyReplaceKey,
        " <b><font color='#FF0000'>警告</font></b>:上一条[被替换关键字]为空,请补充</p>");
    row(Tip::NoOptionChosen, " <b><font color='#FF0000'>未选择</font></b>:操作选项</p>");
}

void TestDockWidgetTips::everyRowOfTheCatalogue()
{
    QFETCH(int, var1);
    QFETCH(int, var2);
    QFETCH(QString, text);
    const TipCatalogue::Entry found = TipCatalogue::entry(var1, var2);
    QCOMPARE(found.form, TipCatalogue::Form::Full);
    QCOMPARE(found.text, text);
}

// The names are read from the header itself, so that a name added there
// without its row, or a row left behind by a name, shows up here.
void TestDockWidgetTips::everyTipNameHasExactlyOneRow()
{
    QFile header(QStringLiteral(QUORVANE_TEST_DATA "/../../shared/Tip.h"));
    QVERIFY(header.open(QIODevice::ReadOnly | QIODevice::Text));
    const QRegularExpression named(
        QStringLiteral("constexpr Pair (\\w+)\\{(-?\\d+), (-?\\d+)\\};"));
    QStringList names;
    for (auto found = named.globalMatch(QString::fromUtf8(header.readAll())); found.hasNext();) {
        const QRegularExpressionMatch name = found.next();
        const Tip::Pair tip{name.captured(2).toInt(), name.captured(3).toInt()};
        names << name.captured(1);
        int rows = 0;
        for (const TipCatalogue::Row &row : TipCatalogue::rows())
            rows += row.tip == tip ? 1 : 0;
        QVERIFY2(rows == 1, qPrintable(name.captured(1)));
    }
    QCOMPARE(TipCatalogue::rows().size(), names.size());
}

void TestDockWidgetTips::form()
{
    DockWidgetTips dock;
    QCOMPARE(dock.objectName(), QStringLiteral("DockWidgetTips"));
    QCOMPARE(dock.windowTitle(), QStringLiteral("提示"));
    QVERIFY(dock.isFloating());
    QCOMPARE(dock.features(), QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable);
    QCOMPARE(dock.allowedAreas(), Qt::BottomDockWidgetArea);
    QCOMPARE(dock.size(), QSize(758, 189));
    for (QTextBrowser *pane : {messagePane(dock), explainPane(dock)}) {
        QVERIFY(pane);
        QVERIFY(!pane->acceptDrops());
        QCOMPARE(pane->frameShape(), QFrame::Box);
        QCOMPARE(pane->contextMenuPolicy(), Qt::NoContextMenu);
        QCOMPARE(pane->verticalScrollBar()->contextMenuPolicy(), Qt::NoContextMenu);
        QCOMPARE(pane->horizontalScrollBar()->contextMenuPolicy(), Qt::NoContextMenu);
    }
    // The fresh message pane holds the form's two blank paragraphs.
    QCOMPARE(paragraphs(messagePane(dock)->document()), (QStringList{QStringLiteral("  "), {}}));
}

void TestDockWidgetTips::helpTextAndExplanation()
{
    DockWidgetTips dock;
    const QString help = explainPane(dock)->toPlainText();
    QVERIFY(help.contains(QStringLiteral("以替换操作作为示例：")));
    QVERIFY(help.contains(QStringLiteral("插件→【Text V0.0.0.1】,点击【替换1】;")));
    QVERIFY(help.contains(QStringLiteral("5.点击【处理】按钮即可完成替换操作")));

    dock.explainSlot(QStringLiteral("<p>只有<b>这一句</b></p>"));
    QCOMPARE(explainPane(dock)->toPlainText(), QStringLiteral("只有这一句"));
}

void TestDockWidgetTips::newestMessageOnTop()
{
    DockWidgetTips dock;
    tell(dock, Tip::FileSaved, QStringLiteral("first.txt"));
    tell(dock, Tip::PluginLoaded, QStringLiteral("Text V0.0.0.7"));
    const QStringList shown = paragraphs(messagePane(dock)->document());
    QCOMPARE(shown.size(), 4);
    QVERIFY2(shown.at(0).endsWith(QStringLiteral("Text V0.0.0.7 加载插件成功")),
             qPrintable(shown.at(0)));
    QVERIFY2(shown.at(1).endsWith(QStringLiteral("first.txt 文件保存成功")),
             qPrintable(shown.at(1)));
    QCOMPARE(shown.at(2), QStringLiteral("  "));
}

// Sends a mix of tips to the dock and, the old way, to a reference pane.
void sendMix(DockWidgetTips &dock, QTextBrowser *reference)
{
    const QList<Tip::Pair> tips = {Tip::FileSaved,        Tip::AllThreadsDone, Tip::StepStarted,
                                   Tip::CurrentPluginSet, Tip::FileNotFound,   {11, 15}};
    int n = 0;
    for (const Tip::Pair &tip : tips) {
        const QString text = n == 3 ? QString() : QStringLiteral("text %1").arg(n);
        ++n;
        tell(dock, tip, text);
        prependByRebuild(reference,
                         TipCatalogue::line(QTime::currentTime(), tip.var1, tip.var2, text));
    }
}

// Seconds may tick between the two, so times are compared by shape only.
QString withoutTimes(QString html)
{
    return html.replace(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d")),
                        QStringLiteral("T"));
}

void TestDockWidgetTips::showsWhatTheRebuildShowed()
{
    DockWidgetTips dock;
    DockWidgetTips reference;
    sendMix(dock, messagePane(reference));
    QCOMPARE(withoutTimes(messagePane(dock)->toHtml()),
             withoutTimes(messagePane(reference)->toHtml()));
}

void TestDockWidgetTips::shownLogTakesABurstAtOnce()
{
    DockWidgetTips dock;
    DockWidgetTips reference;
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    const QString before = messagePane(dock)->toHtml();
    sendMix(dock, messagePane(reference));
    // Nothing is laid out while the burst is still arriving...
    QCOMPARE(messagePane(dock)->toHtml(), before);
    // ...and the whole burst is there, newest first, once events run.
    QTRY_COMPARE(withoutTimes(messagePane(dock)->toHtml()),
                 withoutTimes(messagePane(reference)->toHtml()));
    tell(dock, Tip::FileRenamed, QStringLiteral("later"));
    QTRY_VERIFY(messagePane(dock)->document()->begin().text().endsWith(
        QStringLiteral("later 文件重命名成功")));
}

void TestDockWidgetTips::shownLogTakesTipsOneAtATime_data()
{
    QTest::addColumn<int>("earlier");
    QTest::addColumn<int>("single");
    QTest::newRow("fresh log") << 0 << 40;
    // A long log makes each pass slow enough for later tips to wait for one.
    QTest::newRow("long log") << 3000 << 200;
}

void TestDockWidgetTips::shownLogTakesTipsOneAtATime()
{
    QFETCH(int, earlier);
    QFETCH(int, single);
    DockWidgetTips dock;
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    const QTextDocument *log = messagePane(dock)->document();
    const int total = earlier + single;
    for (int i = 0; i < total; ++i) {
        tell(dock, i % 7 == 6 ? Tip::PluginClosed : Tip::FileSaved, QStringLiteral("t%1").arg(i));
        if (i >= earlier)
            QCoreApplication::processEvents();
    }
    QTRY_COMPARE(log->blockCount(), total + 2);
    // Newest on top, every tip once, each with its own message.
    QTextBlock block = log->begin();
    for (int i = total - 1; i >= 0; --i, block = block.next()) {
        const QString tail =
            i % 7 == 6 ? QStringLiteral("t%1 插件关闭") : QStringLiteral("t%1 文件保存成功");
        QVERIFY2(block.text().endsWith(tail.arg(i)), qPrintable(block.text()));
    }
    QCOMPARE(block.text(), QStringLiteral("  "));
}

void TestDockWidgetTips::messageKeepsItsMarkup()
{
    DockWidgetTips dock;
    tell(dock, Tip::FileSaveFailed, QStringLiteral("a.txt"));
    const QTextBlock top = messagePane(dock)->document()->begin();
    bool redBold = false;
    for (auto it = top.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (it.fragment().text() == QStringLiteral("失败"))
            redBold = format.fontWeight() == QFont::Bold &&
                      format.foreground().color() == QColor(0xFF, 0, 0);
    }
    QVERIFY(redBold);
}

void TestDockWidgetTips::tipTextShowsAsItself()
{
    // Tip texts are file names and typed keys: their "<" and "&" are text.
    QCOMPARE(lineAt(Tip::FileSaved, QStringLiteral("D:/R&D <Q3>.xlsx")),
             QStringLiteral("09:05:07  0 4   D:/R&amp;D &lt;Q3&gt;.xlsx 文件保存<b>成功</b></p>"));
    QCOMPARE(lineAt(Tip::StepStarted, QStringLiteral("<b>2</b>")),
             QStringLiteral("09:05:07  -5 1   步骤&lt;b&gt;2&lt;/b&gt;<b>开始处理</b></p>"));
    QCOMPARE(lineAt(Tip::StepListLength, QStringLiteral("a&b")),
             QStringLiteral("09:05:07  68 69   a&amp;b"));

    DockWidgetTips dock;
    tell(dock, Tip::FileSaveFailed, QStringLiteral("/home/u/<img src=x>R&D.xlsx"));
    QVERIFY2(messagePane(dock)->document()->begin().text().endsWith(
                 QStringLiteral("/home/u/<img src=x>R&D.xlsx 文件保存失败")),
             qPrintable(messagePane(dock)->document()->begin().text()));
}

QTEST_MAIN(TestDockWidgetTips)
#include "tst_dockwidgettips.moc"
