#include "ContentEncoding.h"

#include <QTextCodec>
#include <QtTest>

namespace {

QByteArray gb18030(const QString &text)
{
    return QTextCodec::codecForName("GB18030")->fromUnicode(text);
}

QByteArray utf16(const QString &text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArrayLiteral("\xFF\xFE") : QByteArrayLiteral("\xFE\xFF");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

} // namespace

class TestContentEncoding : public QObject
{
    Q_OBJECT
private slots:
    // A file is read by what its bytes hold, whatever the fallback; when its
    // text reads cleanly it is written back to the very same bytes.
    void decodeByContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("fallback");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("clean");
        const QString guo = QStringLiteral("国\n書");
        QTest::newRow("UTF-8 under GB18030")
            << guo.toUtf8() << QByteArray("GB18030") << guo << true;
        QTest::newRow("UTF-8 under UTF-8") << guo.toUtf8() << QByteArray("UTF-8") << guo << true;
        QTest::newRow("GB18030 under GB18030")
            << gb18030(guo) << QByteArray("GB18030") << guo << true;
        QTest::newRow("UTF-8 mark")
            << "\xEF\xBB\xBF" + guo.toUtf8() << QByteArray("GB18030") << guo << true;
        QTest::newRow("UTF-16 LE mark") << utf16(guo, true) << QByteArray("GB18030") << guo << true;
        QTest::newRow("UTF-16 BE mark") << utf16(guo, false) << QByteArray("UTF-8") << guo << true;
        // Its mark begins with UTF-16 LE's.
        QTest::newRow("UTF-32 LE mark")
            << QByteArray("\xFF\xFE\0\0\xFD\x56\0\0\n\0\0\0\xF8\x66\0\0", 16)
            << QByteArray("GB18030") << guo << true;
        QTest::newRow("Latin-1 under Latin-1")
            << QByteArray("caf\xE9") << QByteArray("ISO-8859-1") << QStringLiteral("café") << true;
        QTest::newRow("empty") << QByteArray() << QByteArray("GB18030") << QString() << true;
        QTest::newRow("GB18030 under UTF-8") << gb18030(QStringLiteral("書")) << QByteArray("UTF-8")
                                             << QStringLiteral("\uFFFD\uFFFD") << false;
        QTest::newRow("UTF-8 mark over GB18030")
            << "\xEF\xBB\xBF" + gb18030(QStringLiteral("書")) << QByteArray("GB18030")
            << QStringLiteral("\uFFFD\uFFFD") << false;
    }
    void decodeByContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, fallback);
        QFETCH(bool, clean);
        ContentEncoding encoding;
        QString text;
        QCOMPARE(
            ContentEncoding::decode(bytes, QTextCodec::codecForName(fallback), &encoding, &text),
            clean);
        QTEST(text, "text");
        QByteArray back;
        QVERIFY(encoding.encode(text, &back));
        QCOMPARE(back == bytes, clean);
    }

    void encodingRefusesWhatItCannotCarry()
    {
        ContentEncoding latin1;
        QString text;
        QVERIFY(ContentEncoding::decode("caf\xE9", QTextCodec::codecForName("ISO-8859-1"), &latin1,
                                        &text));
        QByteArray out = "untouched";
        QVERIFY(!latin1.encode(QStringLiteral("café 国"), &out));
        QCOMPARE(out, QByteArray("untouched"));

        // A missing file is written as UTF-8, which carries every character.
        QVERIFY(ContentEncoding().encode(QStringLiteral("国"), &out));
        QCOMPARE(out, QStringLiteral("国").toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestContentEncoding)
#include "tst_contentencoding.moc"
