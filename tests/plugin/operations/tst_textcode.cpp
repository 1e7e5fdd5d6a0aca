#include "operations/TextCode.h"

#include <QtTest>

namespace {

using Option = TextCode::Option;

QString code(bool encode, const QString &text, Option option, const QByteArray &password = "secret")
{
    return TextCode::codeText(text, encode, option, TextCode::aesKey(password));
}

} // namespace

class TestTextCode : public QObject
{
    Q_OBJECT
private slots:
    void roundTrips_data()
    {
        QTest::addColumn<Option>("option");
        QTest::addColumn<QString>("text");
        for (Option option : {Option::BASIC, Option::Hex, Option::AES_128}) {
            for (const char *text : {"plain ASCII", "中文 文本", "exactly sixteen!", ""})
                QTest::addRow("%d %s", int(option), text) << option << QString::fromUtf8(text);
        }
    }
    void roundTrips()
    {
        QFETCH(Option, option);
        QFETCH(QString, text);
        const QString encoded = code(true, text, option);
        QVERIFY(!encoded.contains(QLatin1Char('?')));
        QCOMPARE(code(false, encoded, option), text);
    }

    // The forms other tools and earlier files have: UTF-8 bytes (for ASCII
    // the same as before), AES-128 in ECB with zero padding and the
    // password's MD5 as key, written as Base64; digests in lower-case hex.
    void knownEncodings_data()
    {
        QTest::addColumn<Option>("option");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("Base64") << Option::BASIC << "abc中文"
                                << "YWJj5Lit5paH";
        QTest::newRow("hex") << Option::Hex << "中文"
                             << "e4b8ade69687";
        QTest::newRow("AES") << Option::AES_128 << "hello, 世界"
                             << "8sWLRO26pNmbF0FDJBDI4g==";
        QTest::newRow("MD5") << Option::Md5 << "abc"
                             << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("SHA-256")
            << Option::Sha256 << "abc"
            << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
        QTest::newRow("does nothing") << Option::DES << "abc"
                                      << "abc";
    }
    void knownEncodings()
    {
        QFETCH(Option, option);
        QFETCH(QString, text);
        QTEST(code(true, text, option), "encoded");
    }

    // A wrong password gives other text; cipher text that is not whole
    // blocks loses only its short tail; decoded bytes end at a zero byte.
    void decodingOddInput()
    {
        const QString encoded = code(true, QStringLiteral("top secret"), Option::AES_128);
        QVERIFY(code(false, encoded, Option::AES_128, "wrong") != QStringLiteral("top secret"));
        const QByteArray tailed = QByteArray::fromBase64(encoded.toLatin1()).append("tail");
        QCOMPARE(code(false, QString::fromLatin1(tailed.toBase64()), Option::AES_128),
                 QStringLiteral("top secret"));
        QCOMPARE(code(false, QStringLiteral("61006263"), Option::Hex), QStringLiteral("a"));
    }

    void whichOptionsChangeCells()
    {
        for (Option option : {Option::BASIC, Option::Hex, Option::AES_128})
            QVERIFY(TextCode::changesCells(option, true) && TextCode::changesCells(option, false));
        for (Option option : {Option::Keccak_224, Option::Md4, Option::Sha512})
            QVERIFY(TextCode::changesCells(option, true) && !TextCode::changesCells(option, false));
        for (Option option : {Option::ASCII, Option::DES, Option::Rabbit, Option::RC4,
                              Option::TripleDes, Option(-1), Option(23)}) {
            QVERIFY(!TextCode::changesCells(option, true) &&
                    !TextCode::changesCells(option, false));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextCode)
#include "tst_textcode.moc"
