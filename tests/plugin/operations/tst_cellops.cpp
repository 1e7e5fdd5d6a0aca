#include "ParAdd.h"
#include "ParChar.h"
#include "ParCode.h"
#include "ParReplaced.h"
#include "ParRetain.h"
#include "ParSpace.h"
#include "RunEvents.h"
#include "TextAdd.h"
#include "TextChar.h"
#include "TextCode.h"
#include "TextReplaced.h"
#include "TextRetain.h"
#include "TextSpace.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QVariantMap cellsOf(const QString &path)
{
    return WorkbookSnapshot::take(path).value(QStringLiteral("cells")).toMap();
}

// The cells of the first sheet that hold a value or a formula, without the
// sheet's name.
QStringList filledOnFirstSheet(const QVariantMap &snapshot)
{
    const QString prefix = snapshot.value("sheets").toList().value(0).toString() + "!";
    const QVariantMap cells = snapshot.value(QStringLiteral("cells")).toMap();
    QStringList names;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (it.key().startsWith(prefix) && !it.value().isNull())
            names << it.key().mid(prefix.size());
    }
    return names;
}

// The styles that differ from a new cell's.
QVariantMap styled(const QVariantMap &snapshot)
{
    const QVariantList plain = {"General", false, false, "00000000", "None"};
    QVariantMap styles = snapshot.value(QStringLiteral("styles")).toMap();
    for (auto it = styles.begin(); it != styles.end();)
        it = it.value().toList() == plain ? styles.erase(it) : std::next(it);
    return styles;
}

// A file of the kind its suffix names ("xlsx", "xls" by xlwt, or "csv")
// whose only cell, A1 of the sheet S, holds text; its path.
QString oneCellFile(const QString &dir, const QString &suffix, const QString &text)
{
    const QString path = dir + QStringLiteral("/S.") + suffix;
    QString ignored;
    const bool made =
        suffix == QLatin1String("xlsx")
            ? WorkbookMaker::writePackage(
                  path, WorkbookMaker::textWorkbook("S", 1, 1, [&](int, int) { return text; }))
        : suffix == QLatin1String("xls")
            ? WorkbookFixtures::runPython(
                  QStringLiteral("import base64, xlwt\nw = xlwt.Workbook()\n"
                                 "w.add_sheet('S').write(0, 0, base64.b64decode('%1').decode())\n"
                                 "w.save('%2')\n")
                      .arg(QString::fromLatin1(text.toUtf8().toBase64()), path),
                  &ignored)
            : WorkbookFixtures::writeFile(path, text.toUtf8());
    return made ? path : QString();
}

// The text of that cell as read back: by openpyxl or xlrd from a workbook.
QString oneCellText(const QString &path)
{
    if (path.endsWith(QLatin1String(".csv")))
        return QString::fromUtf8(WorkbookFixtures::readFile(path));
    return cellsOf(path).value(QStringLiteral("S!A1")).toString();
}

// Runs one operation over a file, with its record on the first sheet; what
// it reported.
using Run = std::function<QStringList(const QString &path)>;
template<typename Operation, typename Par>
Run runOn(Par par)
{
    par.sheetIndex = QStringLiteral("首表");
    return [=](const QString &path) { return runNoted<Operation>(path, par); };
}

} // namespace

Q_DECLARE_METATYPE(Run)

// The cell operations over real workbooks, read back by openpyxl.
class TestCellOps : public QObject
{
    Q_OBJECT
private slots:
    // The first sheet of basic.xlsx holds A1:E5, A6, B6 and A7; E2 is the
    // formula =C2*D2 showing 4.5. numfmt.xlsx shows A8 as 1,235. Kept "*":
    // every cell that holds something.
    void retainKeepsWhatAKeySelects_data()
    {
        struct Row
        {
            const char *name, *file;
            bool byKey;
            QStringList keys;
            bool matchCase, lookAt;
            QStringList kept;
        };
        const Row rows[] = {
            {"one cell", "basic.xlsx", false, {"E2"}, false, false, {"E2"}},
            {"letters any case", "basic.xlsx", false, {"e2"}, false, false, {"E2"}},
            {"block", "basic.xlsx", false, {"A1:B2"}, false, false, {"A1", "A2", "B1", "B2"}},
            {"block reversed", "basic.xlsx", false, {"B2:A1"}, false, false, {}},
            {"three parts", "basic.xlsx", false, {"A1:B2:C3"}, false, false, {}},
            {"no cell names", "basic.xlsx", false, {"$B$2", "B", "2", "A1:"}, false, false, {}},
            {"all filled", "basic.xlsx", false, {"A1:E5", "A6:B6", "A7"}, false, false, {"*"}},
            {"contains", "basic.xlsx", true, {"APPLE"}, false, false, {"A2", "A7", "B2"}},
            {"contains, case", "basic.xlsx", true, {"banana"}, true, false, {}},
            {"whole cell", "basic.xlsx", true, {"APPLE"}, false, true, {"A2"}},
            {"shown formula", "basic.xlsx", true, {"4.5"}, false, true, {"E2"}},
            {"shown number", "numfmt.xlsx", true, {"1,235"}, false, true, {"A8"}},
            {"no patterns", "basic.xlsx", true, {"a*"}, false, false, {}},
        };
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("lookAt");
        QTest::addColumn<QStringList>("kept");
        for (const Row &r : rows) {
            QTest::newRow(r.name) << QString(r.file) << r.byKey << r.keys << r.matchCase << r.lookAt
                                  << r.kept;
        }
    }
    // Cells no key selects lose value and formula but keep their style;
    // selected cells keep everything.
    void retainKeepsWhatAKeySelects()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(file, dir.path());
        const QByteArray bytes = WorkbookFixtures::readFile(path);
        const QVariantMap before = WorkbookSnapshot::take(path);
        ParRetain par;
        par.sheetIndex = QStringLiteral("首表");
        par.keys = keys.toVector();
        QFETCH(bool, byKey);
        QFETCH(bool, matchCase);
        QFETCH(bool, lookAt);
        par.byKey = byKey;
        par.matchCase = matchCase;
        par.lookAt = lookAt;
        // Retain sends no tip of its own.
        QCOMPARE(runNoted<TextRetain>(path, par).size(), 3);
        // Cells that hold nothing are not cleared, so keeping every other
        // cell keeps the file.
        if (kept == QStringList{"*"}) {
            QCOMPARE(WorkbookFixtures::readFile(path), bytes);
            return;
        }
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(filledOnFirstSheet(after), kept);
        for (const QString &name : kept) {
            const QString key = before.value("sheets").toList().value(0).toString() + "!" + name;
            QCOMPARE(after.value("cells").toMap().value(key),
                     before.value("cells").toMap().value(key));
        }
        QCOMPARE(styled(after), styled(before));
    }

    // The used range of the second sheet is B2:D4: positions are the cells'
    // own, D4 is reached, and nothing outside the chosen sheet changes.
    void retainWalksAUsedRangeAwayFromA1()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        ParRetain par;
        par.sheetIndex = QStringLiteral("2");
        par.keys = {QStringLiteral("D4"), QStringLiteral("B2:C2")};
        par.byKey = false;
        runNoted<TextRetain>(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Offset!B3", "Offset!B4", "Offset!C3", "Offset!C4", "Offset!D2",
                              "Offset!D3"}));
        QCOMPARE(after.value("cells").toMap().value("Offset!D4").toString(),
                 QStringLiteral("r4c4 apple"));
    }

    // A character of two UTF-16 units stays whole in the saved file.
    void charactersKeepPairsWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pair.xlsx"));
        const QString pair = QStringLiteral("x\U0002003Ey");
        QVERIFY(WorkbookMaker::writePackage(
            path, WorkbookMaker::textWorkbook("S", 1, 1, [&](int, int) { return pair; })));
        ParChar par;
        par.sheetIndex = QStringLiteral("首表");
        par.implement = TextChar::Implement::Retain;
        par.text = QStringLiteral("2");
        runNoted<TextChar>(path, par);
        QCOMPARE(cellsOf(path).value("S!A1").toString(), pair.left(3));
    }

    // Numbers, booleans and formulas whose text the operation leaves alone
    // stay what they were.
    void spacesLeaveUnchangedCellsAlone()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        ParSpace par;
        par.sheetIndex = QStringLiteral("首表");
        par.index = TextSpace::Index::All;
        runNoted<TextSpace>(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Data!A5", "Data!A7", "Data!B2", "Data!B4", "Data!B5", "Data!B6"}));
        QCOMPARE(after.value("cells").toMap().value("Data!B4").toString(),
                 QStringLiteral("中文文本"));
        QCOMPARE(after.value("styles"), before.value("styles"));
    }

    // A cell holds at most 32,767 UTF-16 units, whichever operation makes
    // the text, in every format.
    void cellsPastAWorkbookCellAreNotSaved_data()
    {
        struct Row
        {
            const char *name;
            Run run;
            QString cell;
            int length; // of the cell's text after the operation
        };
        const QString a(20000, 'a');
        const auto append = [](int length) {
            return runOn<TextAdd>(ParAdd{{}, TextAdd::Index::Right, 0, {}, length});
        };
        const auto insertAt = [](int pos) {
            return runOn<TextChar>(ParChar{{}, TextChar::Index::Pos, pos, {}, {}, "XY"});
        };
        const auto blanks = [](int number) {
            return runOn<TextSpace>(ParSpace{{}, {}, {}, number});
        };
        const ParReplaced atA1{{}, {{"A1", QString(32768, 'b')}}, false};
        const Row rows[] = {
            {"append", append(20000), a, 40000},
            {"append to a full cell", append(12767), a, 32767},
            {"insert far beyond", insertAt(999999999), "abc", 3 + TextOperation::MaxBuiltText + 2},
            {"pad to a full cell", insertAt(32765), "abc", 32767},
            {"blanks past memory", blanks(999999999), "x", TextOperation::MaxBuiltText + 1},
            {"blanks to a full cell", blanks(32766), "x", 32767},
            {"encode", runOn<TextCode>(ParCode()), QString(30000, 'a'), 40000},
            {"write by position", runOn<TextReplaced>(atA1), "x", 32768},
        };
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<Run>("run");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("length");
        for (const char *suffix : {"xlsx", "xls", "csv"}) {
            for (const Row &r : rows) {
                QTest::addRow("%s, %s", r.name, suffix)
                    << QString(suffix) << r.run << r.cell << r.length;
            }
        }
    }
    void cellsPastAWorkbookCellAreNotSaved()
    {
        QFETCH(QString, suffix);
        QFETCH(Run, run);
        QFETCH(QString, cell);
        QFETCH(int, length);
        QTemporaryDir dir;
        const QString path = oneCellFile(dir.path(), suffix, cell);
        QVERIFY(!path.isEmpty());
        const QByteArray before = WorkbookFixtures::readFile(path);
        const QStringList events = run(path);
        if (length > 32767) {
            QVERIFY2(events.contains(tipEvent(Tip::FileSaveFailed, path)),
                     qPrintable(events.join('|')));
            QCOMPARE(WorkbookFixtures::readFile(path), before);
            return;
        }
        QVERIFY2(events.contains(tipEvent(Tip::FileSaved)), qPrintable(events.join('|')));
        QCOMPARE(oneCellText(path).size(), length);
    }
};

QTEST_GUILESS_MAIN(TestCellOps)
#include "tst_cellops.moc"
