// The quick paths of editing and saving must give exactly what the plain
// ones give: the deflated stream of a sheet, the bytes of a written text,
// cell names, the strings kept and the cells found.
#include "model/CellAddress.h"
#include "model/SheetCells.h"
#include "model/TextPool.h"
#include "model/WorkbookDocument.h"
#include "xlsx/ParallelDeflater.h"
#include "xlsx/ReadAhead.h"
#include "xlsx/SharedStringsReader.h"
#include "xlsx/SharedStringsWriter.h"
#include "xlsx/SheetSource.h"
#include "xlsx/StringItemCut.h"
#include "xlsx/XmlStartTag.h"
#include "xlsx/XmlText.h"
#include "xlsx/ZipPackage.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <zlib.h>

namespace {

QByteArray inflateRaw(const QByteArray &compressed, bool *ok)
{
    z_stream stream{};
    *ok = inflateInit2(&stream, -MAX_WBITS) == Z_OK;
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    char buffer[65536];
    int result = Z_OK;
    while (*ok && result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, int(sizeof buffer - stream.avail_out));
    }
    // The stream ends where the input ends, with its last block marked.
    *ok = *ok && result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    return out;
}

// Text that repeats itself across block edges, with noise.
QByteArray sample(int size)
{
    QByteArray data;
    QRandomGenerator random(size);
    while (data.size() < size) {
        data += "<row r=\"" + QByteArray::number(data.size()) + "\"><c t=\"s\"><v>";
        data += QByteArray::number(random.generate() % 100000) + "</v></c></row>";
    }
    return data.left(size);
}

} // namespace

class TestWritePaths : public QObject
{
    Q_OBJECT
private slots:
    void deflatedPiecesMakeOneStream_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("threads");
        const int block = 32768;
        for (int threads : {1, 3}) {
            const QByteArray t = " on " + QByteArray::number(threads);
            QTest::newRow("nothing" + t) << 0 << threads;
            QTest::newRow("one byte" + t) << 1 << threads;
            QTest::newRow("a byte short of a block" + t) << block - 1 << threads;
            QTest::newRow("one block" + t) << block << threads;
            QTest::newRow("a byte past a block" + t) << block + 1 << threads;
            QTest::newRow("many blocks and a bit" + t) << 11 * block + 77 << threads;
        }
    }
    void deflatedPiecesMakeOneStream()
    {
        QFETCH(int, size);
        QFETCH(int, threads);
        const QByteArray data = sample(size);
        ParallelDeflater deflater(Z_DEFAULT_COMPRESSION, threads, 32768);
        QCOMPARE(deflater.write(data), qint64(size));
        QVERIFY(deflater.finish());
        bool ok = false;
        QCOMPARE(inflateRaw(deflater.compressed(), &ok), data);
        QVERIFY(ok);
        QCOMPARE(deflater.uncompressedSize(), qint64(size));
        QCOMPARE(deflater.crc(),
                 quint32(crc32(crc32(0, nullptr, 0),
                               reinterpret_cast<const Bytef *>(data.constData()), uInt(size))));
        // Each block starts with what came before as its dictionary, so the
        // pieces compress about as well as one pass.
        if (size > 100000) {
            const QByteArray whole = qCompress(data).mid(4);
            QVERIFY2(deflater.compressed().size() < whole.size() * 11 / 10,
                     qPrintable(QStringLiteral("%1 against %2")
                                    .arg(deflater.compressed().size())
                                    .arg(whole.size())));
        }
    }

    // Reading ahead gives the entry piece by piece as it is, whether the
    // taker keeps up, falls behind the pieces held, or stops halfway.
    void readAheadGivesTheEntry()
    {
        const QByteArray data = sample(3 * ReadAhead::PieceSize * 4 + 1234);
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            QuaZip zip(&buffer);
            QVERIFY(zip.open(QuaZip::mdCreate));
            QuaZipFile file(&zip);
            QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("big.xml"))));
            file.write(data);
            file.close();
            zip.close();
        }
        ZipPackage package;
        QString why;
        QVERIFY2(package.load(bytes, &why), qPrintable(why));
        for (int stopAfter : {2, -1}) {
            QVERIFY(package.openEntry(0));
            QByteArray read;
            {
                ReadAhead ahead(package);
                // Behind: the reader fills every place it may before this
                // takes anything.
                QThread::msleep(50);
                QByteArray piece;
                for (int taken = 0; taken != stopAfter; ++taken) {
                    QVERIFY(ahead.next(&piece));
                    if (piece.isEmpty())
                        break;
                    QVERIFY(piece.size() <= ReadAhead::PieceSize);
                    read += piece;
                }
                if (stopAfter < 0) {
                    QVERIFY(ahead.next(&piece) && piece.isEmpty()); // stays at the end
                }
            }
            if (stopAfter < 0) {
                QCOMPARE(read, data);
                QVERIFY(package.closeEntry());
            } else {
                QCOMPARE(read, data.left(read.size()));
                package.closeEntry();
            }
        }
    }

    // However the writer hands the bytes over, the output is the same.
    void writesOfAnySizeGiveTheSameStream()
    {
        const QByteArray data = sample(200000);
        ParallelDeflater once(Z_DEFAULT_COMPRESSION, 4, 32768);
        once.write(data);
        QVERIFY(once.finish());
        ParallelDeflater bits(Z_DEFAULT_COMPRESSION, 4, 32768);
        for (int at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 70001 + 1)
            bits.write(data.mid(at, step));
        QVERIFY(bits.finish());
        QCOMPARE(bits.compressed(), once.compressed());
        QCOMPARE(bits.write("late"), qint64(-1));
    }

    void plainTextGoesInAsItIs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plain");
        QTest::newRow("ascii") << QStringLiteral("row 1 column 2 apple!") << true;
        QTest::newRow("chinese") << QStringLiteral("行1 文本，全角") << true;
        QTest::newRow("hangul shares a lead byte with surrogates")
            << QStringLiteral("한국어") << true;
        QTest::newRow("tab and line feed") << QStringLiteral("a\tb\nc") << true;
        QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("markup") << QStringLiteral("a < b & c > \"d\"") << false;
        QTest::newRow("carriage return") << QStringLiteral("a\r\nb") << false;
        QTest::newRow("control character") << QStringLiteral("bell\x07") << false;
        QTest::newRow("looks like an escape") << QStringLiteral("_x000D_") << false;
        QTest::newRow("underscore") << QStringLiteral("snake_case") << false;
        QTest::newRow("emoji pair") << QStringLiteral("😀") << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false;
        QTest::newRow("not a character FFFE") << QString(QChar(0xFFFE)) << false;
        QTest::newRow("not a character FFFF") << QString(QChar(0xFFFF)) << false;
        QTest::newRow("last character allowed") << QString(QChar(0xFFFD)) + QChar(0xFFEF) << true;
    }
    void plainTextGoesInAsItIs()
    {
        QFETCH(QString, text);
        QFETCH(bool, plain);
        TextPool pool;
        const int index = pool.append(text);
        QCOMPARE(pool.at(index), text);
        int length = 0;
        const char *bytes = pool.bytes(index, &length);
        QByteArray quick = "<t>";
        QCOMPARE(XmlText::appendPlain(&quick, bytes, length), plain);
        QByteArray escaped = "<t>";
        XmlText::appendEscaped(&escaped, XmlText::encodeEscapes(text));
        if (plain)
            QCOMPARE(quick, escaped);
        else
            QCOMPARE(quick, QByteArray("<t>"));
    }

    void poolComparesAndTakesOver()
    {
        TextPool pool;
        const QString long_(300000, QChar(0x4E2D)); // longer than a block, encoded
        const QStringList texts{
            QStringLiteral("abc"), QStringLiteral("ab"), QStringLiteral("中"), long_, QString(),
            QStringLiteral("ä")};
        for (const QString &text : texts)
            pool.append(text);
        for (int i = 0; i < texts.size(); ++i) {
            for (int j = 0; j < texts.size(); ++j)
                QCOMPARE(pool.equals(i, texts.at(j)), i == j);
        }
        QVERIFY(!pool.equals(0, QStringLiteral("abd")));
        QVERIFY(!pool.equals(0, QStringLiteral("abcd")));
        QVERIFY(!pool.equals(99, QStringLiteral("abc")));

        TextPool other;
        other.append(QStringLiteral("first of other"));
        other.append(QStringLiteral("second of other"));
        const int base = pool.take(std::move(other));
        QCOMPARE(base, texts.size());
        QCOMPARE(other.size(), 0);
        QCOMPARE(pool.at(base + 1), QStringLiteral("second of other"));
        QCOMPARE(pool.at(3), long_);
        // Appending goes on after what was taken over.
        QCOMPARE(pool.append(QStringLiteral("after")), base + 2);
        QCOMPARE(pool.at(base + 2), QStringLiteral("after"));
        QCOMPARE(pool.at(base), QStringLiteral("first of other"));

        TextPool newer;
        newer.append(QStringLiteral("new 1"));
        newer.append(QStringLiteral("new 3"));
        pool.replace({1, 3}, std::move(newer));
        QCOMPARE(pool.size(), base + 3);
        QCOMPARE(pool.at(1), QStringLiteral("new 1"));
        QCOMPARE(pool.at(3), QStringLiteral("new 3"));
        QCOMPARE(pool.at(2), QStringLiteral("中"));
        QCOMPARE(pool.append(QStringLiteral("last")), base + 3);
        QCOMPARE(pool.at(base + 2), QStringLiteral("after"));
    }

    // A table with strings given new text reads back with them where they
    // were and every other string as it was, whatever else the part holds.
    void rewrittenStringsReadBack_data()
    {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<int>("rewritten");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("strings"); // read back
        QTest::newRow("markup in a comment and in CDATA")
            << QByteArray("<!-- <si><t>no</t></si> --><si><t><![CDATA[<si>]]></t></si>"
                          "<si><t>b</t></si>")
            << 1 << "new" << QStringList{"<si>", "new"};
        QTest::newRow("an empty item")
            << QByteArray("<si/><si ><t>b</t></si>") << 0 << "new" << QStringList{"new", "b"};
        QTest::newRow("prefixed, quoted '>'")
            << QByteArray("<x:si><x:t a=\">\">a</x:t></x:si><x:si><x:t>b</x:t></x:si>") << 0
            << "new" << QStringList{"new", "b"};
        // Read in windows: a comment longer than one, items across their
        // edges.
        QByteArray many = "<!--" + QByteArray(3 << 20, 'c') + "-->";
        QStringList manyStrings;
        for (int i = 0; i < 100000; ++i) {
            many += "<si><t>text " + QByteArray::number(i) + "</t></si>";
            manyStrings << (i == 99999 ? QStringLiteral("new") : QStringLiteral("text %1").arg(i));
        }
        QTest::newRow("a part of several windows") << many << 99999 << "new" << manyStrings;
        QTest::newRow("text to escape")
            << QByteArray("<si><t>a</t></si>") << 0 << " a<b & \r _x0041_ 😀 "
            << QStringList{" a<b & \r _x0041_ 😀 "};
    }
    void rewrittenStringsReadBack()
    {
        QFETCH(QByteArray, items);
        QFETCH(int, rewritten);
        QFETCH(QString, text);
        const QByteArray part = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                                "2006/main\" xmlns:x=\"http://schemas.openxmlformats.org/"
                                "spreadsheetml/2006/main\">" +
                                items + "</sst>";
        WorkbookDocument document;
        QString why;
        QVERIFY(SharedStringsReader::read(part, &document.sharedStrings, &why));
        TextPool texts;
        texts.append(text);
        document.rewriteSharedStrings({rewritten}, std::move(texts));
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        BytesSource source(part);
        QVERIFY(SharedStringsWriter::write(&source, document, &out));
        TextPool again;
        QVERIFY2(SharedStringsReader::read(written, &again, &why), qPrintable(why));
        QStringList strings;
        for (int i = 0; i < again.size(); ++i)
            strings << again.at(i);
        QTEST(strings, "strings");
        // The other items and whatever lies between them keep their bytes.
        const QByteArray before = part.left(part.indexOf(">") + 1);
        QVERIFY(written.startsWith(before) && written.endsWith("</sst>"));
        if (rewritten > 0)
            QVERIFY(written.startsWith(part.left(part.lastIndexOf("<si>"))));
    }

    // The table cut where the reader cut it, or where a save before cut it,
    // and rewritten on several threads, gives the bytes one pass gives:
    // rewritten items first and last in their pieces, markup near the cuts,
    // items across the windows the pieces are read in.
    void rewrittenInPiecesAsInOnePass_data()
    {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<int>("pieces"); // as the reader is asked to cut
        QByteArray plain, large, mixed;
        for (int i = 0; i < 2000; ++i)
            plain += "<si><t>text " + QByteArray::number(i) + "</t></si>\n";
        // Pieces of over a megabyte, cut again inside.
        for (int i = 0; i < 120000; ++i)
            large += "<si><t xml:space=\"preserve\">item " + QByteArray::number(i) + " </t></si>";
        for (int i = 0; i < 600; ++i) {
            mixed += i % 3 == 0   ? "<!-- <x:si> --><si><t><![CDATA[<x:si>]]></t></si>"
                     : i % 3 == 1 ? "<x:si><x:r><x:t>a</x:t></x:r><x:r><x:t>b</x:t></x:r></x:si>"
                                  : "<si/><?pi <x:si>?>";
        }
        QTest::newRow("plain items") << plain << 4;
        QTest::newRow("pieces cut again inside") << large << 3;
        QTest::newRow("comments, CDATA, rich text, empty items") << mixed << 5;
    }
    void rewrittenInPiecesAsInOnePass()
    {
        QFETCH(QByteArray, items);
        QFETCH(int, pieces);
        const QByteArray part =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
            items + "</sst>";
        WorkbookDocument document;
        QString why;
        bool inPieces = false;
        QVector<StringItemCut> cuts;
        QVERIFY2(SharedStringsReader::read(part, &document.sharedStrings, &why, pieces, &inPieces,
                                           &cuts),
                 qPrintable(why));
        QVERIFY(inPieces && cuts.size() >= pieces);

        const auto write = [&document](const QByteArray &original,
                                       const QVector<StringItemCut> &cuts, QByteArray *written,
                                       QVector<StringItemCut> *writtenCuts) {
            written->clear();
            QBuffer out(written);
            out.open(QIODevice::WriteOnly);
            BytesSource source(original);
            return cuts.isEmpty()
                       ? SharedStringsWriter::write(&source, document, &out)
                       : SharedStringsWriter::write(&source, document, cuts, &out, writtenCuts);
        };
        // Each save gives new text to the first and last item of every
        // piece, the second to other items than the first.
        QByteArray original = part;
        for (int save = 0; save < 2; ++save) {
            std::vector<int> indexes;
            TextPool texts;
            for (const StringItemCut &cut : qAsConst(cuts)) {
                for (int index : {cut.firstItem + save, cut.firstItem - 1 - save}) {
                    if (index >= 0 &&
                        std::find(indexes.cbegin(), indexes.cend(), index) == indexes.cend()) {
                        indexes.push_back(index);
                        texts.append(QStringLiteral(" new <%1> & ").arg(save));
                    }
                }
            }
            const int last = document.sharedStrings.size() - 1;
            if (std::find(indexes.cbegin(), indexes.cend(), last) == indexes.cend()) {
                indexes.push_back(last);
                texts.append(QStringLiteral("last"));
            }
            document.rewriteSharedStrings(indexes, std::move(texts));

            QByteArray once, cut;
            QVector<StringItemCut> writtenCuts;
            QVERIFY(write(original, {}, &once, nullptr));
            QVERIFY(write(original, cuts, &cut, &writtenCuts));
            QCOMPARE(cut.size(), once.size());
            QVERIFY(cut == once);
            QCOMPARE(writtenCuts.size(), cuts.size());
            for (int i = 0; i < cuts.size(); ++i)
                QCOMPARE(writtenCuts.at(i).firstItem, cuts.at(i).firstItem);

            // Cuts that do not match the part fail the write.
            QVector<StringItemCut> wrong = cuts, none;
            ++wrong.last().firstItem;
            QVERIFY(!write(original, wrong, &cut, &none));
            QVERIFY(none.isEmpty());

            document.noteStringsSaved();
            original = once;
            cuts = writtenCuts;
        }
    }

    // What a writer changes in a tag it keeps: the attribute's value alone,
    // whatever the quotes, the spaces and the characters in other values.
    void startTagsAreTakenApart_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value"); // of "r"; "-" for none
        QTest::addColumn<bool>("selfClosing");
        QTest::newRow("plain") << QByteArray("<c r=\"B2\" s=\"1\"><v>1</v></c>") << QByteArray("c")
                               << QByteArray("B2") << false;
        QTest::newRow("prefixed, self-closing")
            << QByteArray("<x:row r=\"3\"/>") << QByteArray("x:row") << QByteArray("3") << true;
        QTest::newRow("quotes, spaces, markup in values")
            << QByteArray("<x:c ref='a>\"b/' r = \"C1\" />") << QByteArray("x:c")
            << QByteArray("C1") << true;
        QTest::newRow("names that only begin alike")
            << QByteArray("<c ref=\"r\" rr=\"1\" x:r=\"2\">") << QByteArray("c") << QByteArray("-")
            << false;
        QTest::newRow("no attributes")
            << QByteArray("<sheetData>") << QByteArray("sheetData") << QByteArray("-") << false;
    }
    void startTagsAreTakenApart()
    {
        QFETCH(QByteArray, tag);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QFETCH(bool, selfClosing);
        const XmlStartTag start(tag.constData(), tag.size());
        QCOMPARE(start.name(), name);
        QCOMPARE(start.prefix(), name.left(name.indexOf(':') + 1));
        QCOMPARE(tag.mid(start.nameEnd() - name.size() - 1, name.size() + 1), '<' + name);
        QCOMPARE(start.isSelfClosing(), selfClosing);
        QCOMPARE(tag.at(start.tagEnd()), selfClosing ? '/' : '>');
        int from = 0, to = 0;
        QCOMPARE(start.findAttribute("r", &from, &to), value != "-");
        if (value != "-")
            QCOMPARE(tag.mid(from, to - from), value);
    }

    void cellNamesAsBytes()
    {
        for (int column : {1, 2, 26, 27, 52, 53, 702, 703, 16384}) {
            for (int row : {1, 9, 10, 99999, 1048576}) {
                QByteArray name = "x";
                CellAddress::appendCellName(&name, row, column);
                QCOMPARE(name, "x" + CellAddress::cellName(row, column).toLatin1());
            }
        }
    }

    // The row found last is remembered; nothing found through it may be
    // stale, whatever was added or moved meanwhile.
    void rememberedRowNeverMisleads()
    {
        SheetCells cells;
        cells.ensure(5, 2).style = 52;
        cells.ensure(3, 1).style = 31;
        QCOMPARE(cells.find(5, 2)->style, 52);
        QVERIFY(!cells.find(5, 1));
        cells.ensure(5, 1).style = 51; // the row's cells move within it
        QCOMPARE(cells.find(5, 2)->style, 52);
        QCOMPARE(cells.find(5, 1)->style, 51);
        QVERIFY(!cells.find(4, 1));
        QCOMPARE(cells.find(3, 1)->style, 31);
        QVERIFY(!cells.findRow(4));
        QCOMPARE(cells.findRow(5)->cells.size(), 2);
        QCOMPARE(cells.cellCount(), qint64(3));

        SheetCells moved(std::move(cells));
        QVERIFY(!cells.find(3, 1));
        QCOMPARE(cells.cellCount(), qint64(0));
        QCOMPARE(moved.find(3, 1)->style, 31);
        cells.ensure(3, 1).style = 99;
        QCOMPARE(cells.find(3, 1)->style, 99);
        QCOMPARE(moved.find(3, 1)->style, 31);

        SheetCells later;
        later.appendRow(7).cells.append(Cell());
        later.noteCellAdded();
        moved.appendRows(std::move(later));
        QVERIFY(moved.findRow(7));
        QVERIFY(!later.findRow(7));
        QCOMPARE(moved.cellCount(), qint64(4));
        QCOMPARE(int(moved.rows().size()), 3);
    }
};

QTEST_GUILESS_MAIN(TestWritePaths)
#include "tst_writepaths.moc"
