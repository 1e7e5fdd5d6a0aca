#include "CodeEditor.h"

#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

class TestCodeEditor : public QObject
{
    Q_OBJECT
private slots:
    void gutterWidthFollowsDigitCount_data();
    void gutterWidthFollowsDigitCount();
    void gutterSitsAtLeftEdgeAfterResize();
    void gutterPaintsNumbersOnLightGray();
    void currentLineHighlight();
    void readOnlyEditorHasNoHighlight();
};

static QString lines(int count)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << QStringLiteral("line %1").arg(i);
    return parts.join(QLatin1Char('\n'));
}

static QWidget *gutterOf(CodeEditor &editor)
{
    return editor.findChild<QWidget *>(QStringLiteral("lineNumberArea"));
}

void TestCodeEditor::gutterWidthFollowsDigitCount_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("digits");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("nine") << 9 << 1;
    QTest::newRow("ten") << 10 << 2;
    QTest::newRow("ninety-nine") << 99 << 2;
    QTest::newRow("hundred") << 100 << 3;
}

void TestCodeEditor::gutterWidthFollowsDigitCount()
{
    QFETCH(int, lineCount);
    QFETCH(int, digits);

    CodeEditor editor(nullptr);
    editor.setPlainText(lines(lineCount));
    const int nine = editor.fontMetrics().horizontalAdvance(QLatin1Char('9'));
    QCOMPARE(editor.lineNumberAreaWidth(), 3 + digits * nine);

    QWidget *gutter = gutterOf(editor);
    QVERIFY(gutter);
    QCOMPARE(gutter->sizeHint(), QSize(3 + digits * nine, 0));
    // The text starts right of the gutter.
    QCOMPARE(editor.viewport()->geometry().left() - editor.contentsRect().left(),
             editor.lineNumberAreaWidth());
}

void TestCodeEditor::gutterSitsAtLeftEdgeAfterResize()
{
    CodeEditor editor(nullptr);
    editor.setPlainText(lines(120));
    editor.resize(400, 300);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));

    QWidget *gutter = gutterOf(editor);
    const QRect cr = editor.contentsRect();
    QCOMPARE(gutter->geometry(),
             QRect(cr.left(), cr.top(), editor.lineNumberAreaWidth(), cr.height()));

    editor.resize(500, 200);
    QCOMPARE(gutter->geometry().height(), editor.contentsRect().height());
}

void TestCodeEditor::gutterPaintsNumbersOnLightGray()
{
    CodeEditor editor(nullptr);
    editor.setPlainText(lines(30));
    editor.resize(300, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));

    QWidget *gutter = gutterOf(editor);
    const QImage image = gutter->grab().toImage();
    QVERIFY(!image.isNull());
    // Numbers are right-aligned, so the leftmost column is pure background.
    QCOMPARE(QColor(image.pixel(0, image.height() - 1)), QColor(Qt::lightGray));

    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 80)
                ++dark;
    QVERIFY2(dark > 0, "no line number was drawn");

    // After scrolling, the first visible line is no longer line 1 and the
    // gutter still shows numbers.
    editor.verticalScrollBar()->setValue(10);
    QCOMPARE(editor.cursorForPosition(QPoint(0, 0)).blockNumber(), 10);
    const QImage scrolled = gutter->grab().toImage();
    QVERIFY(scrolled != image);
}

void TestCodeEditor::currentLineHighlight()
{
    CodeEditor editor(nullptr);
    editor.setPlainText(lines(5));
    QTextCursor cursor = editor.textCursor();
    cursor.movePosition(QTextCursor::Down);
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);

    const QList<QTextEdit::ExtraSelection> selections = editor.extraSelections();
    QCOMPARE(selections.size(), 1);
    const QTextEdit::ExtraSelection &line = selections.first();
    QCOMPARE(line.format.background().color(), QColor(Qt::gray));
    QVERIFY(line.format.property(QTextFormat::FullWidthSelection).toBool());
    QVERIFY(!line.cursor.hasSelection());
    QCOMPARE(line.cursor.block().blockNumber(), 1);
}

void TestCodeEditor::readOnlyEditorHasNoHighlight()
{
    CodeEditor editor(nullptr);
    editor.setPlainText(lines(5));
    editor.setReadOnly(true);
    QTextCursor cursor = editor.textCursor();
    cursor.movePosition(QTextCursor::Down);
    editor.setTextCursor(cursor);
    QVERIFY(editor.extraSelections().isEmpty());
}

QTEST_MAIN(TestCodeEditor)
#include "tst_codeeditor.moc"
