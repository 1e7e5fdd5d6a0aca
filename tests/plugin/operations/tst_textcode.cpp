#include "ParCode.h"
#include "TextCode.h"
#include "WorkbookFixtures.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

using Option = TextCode::Option;

QString encode(const QString &text, Option option, const QByteArray &password = "secret")
{
    return TextCode::codeText(text, true, option, TextCode::aesKey(password));
}

QString decode(const QString &text, Option option, const QByteArray &password = "secret")
{
    return TextCode::codeText(text, false, option, TextCode::aesKey(password));
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
        const QStringList texts = {"plain ASCII", "中文 文本", "exactly sixteen!", ""};
        for (Option option : {Option::BASIC, Option::Hex, Option::AES_128}) {
            for (const QString &text : texts) {
                const QString name = QStringLiteral("%1 %2").arg(int(option)).arg(text);
                QTest::newRow(qPrintable(name)) << option << text;
            }
        }
    }
    void roundTrips()
    {
        QFETCH(Option, option);
        QFETCH(QString, text);
        const QString encoded = encode(text, option);
        QVERIFY(!encoded.contains(QLatin1Char('?')));
        QCOMPARE(decode(encoded, option), text);
    }

    // The forms other tools and earlier files have: UTF-8 bytes (the same as
    // before for ASCII), AES-128 in ECB with zero padding and the password's
    // MD5 as key, Base64 of the cipher text.
    void knownEncodings_data()
    {
        QTest::addColumn<Option>("option");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("Base64 ASCII") << Option::BASIC << "abc"
                                      << "YWJj";
        QTest::newRow("Base64 Chinese") << Option::BASIC << "中文"
                                        << "5Lit5paH";
        QTest::newRow("hex Chinese") << Option::Hex << "中文"
                                     << "e4b8ade69687";
        QTest::newRow("AES") << Option::AES_128 << "hello, 世界"
                             << "8sWLRO26pNmbF0FDJBDI4g==";
        QTest::newRow("AES empty") << Option::AES_128 << ""
                                   << "";
        QTest::newRow("MD5") << Option::Md5 << "abc"
                             << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("MD5 of nothing") << Option::Md5 << ""
                                        << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("SHA-256")
            << Option::Sha256 << "abc"
            << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    }
    void knownEncodings()
    {
        QFETCH(Option, option);
        QFETCH(QString, text);
        QTEST(encode(text, option), "encoded");
    }

    void sixteenCharactersMakeOneBlock()
    {
        QCOMPARE(encode(QStringLiteral("exactly sixteen!"), Option::AES_128).size(), 24);
    }

    // A wrong password gives other bytes, cut at their first zero byte;
    // cipher text that is not whole blocks loses only its short tail.
    void aesDecodeOfWrongInput()
    {
        const QString encoded = encode(QStringLiteral("top secret text"), Option::AES_128);
        QVERIFY(decode(encoded, Option::AES_128, "wrong") != QStringLiteral("top secret text"));
        const QString partial = QString::fromLatin1(
            QByteArray::fromBase64(encoded.toLatin1()).append("tail").toBase64());
        QCOMPARE(decode(partial, Option::AES_128), QStringLiteral("top secret text"));
    }

    void decodedTextEndsAtZeroByte()
    {
        QCOMPARE(decode(QStringLiteral("61006263"), Option::Hex), QStringLiteral("a"));
    }

    void whichOptionsChangeCells_data()
    {
        QTest::addColumn<Option>("option");
        QTest::addColumn<bool>("onEncode");
        QTest::addColumn<bool>("onDecode");
        QTest::newRow("BASIC") << Option::BASIC << true << true;
        QTest::newRow("AES_128") << Option::AES_128 << true << true;
        for (Option option : {Option::ASCII, Option::DES, Option::Rabbit, Option::RC4,
                              Option::TripleDes, Option(-1), Option(23)})
            QTest::newRow(qPrintable(QString::number(int(option)))) << option << false << false;
        QTest::newRow("Keccak_224") << Option::Keccak_224 << true << false;
        QTest::newRow("Sha512") << Option::Sha512 << true << false;
    }
    void whichOptionsChangeCells()
    {
        QFETCH(Option, option);
        QTEST(TextCode::changesCells(option, true), "onEncode");
        QTEST(TextCode::changesCells(option, false), "onDecode");
        if (!TextCode::changesCells(option, true))
            QCOMPARE(encode(QStringLiteral("keep"), option), QStringLiteral("keep"));
    }

    // An option that does nothing leaves the file as it was, formulas and all.
    void optionThatDoesNothingKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        ParCode par;
        par.sheetIndex = QStringLiteral("所有表");
        par.option = Option::DES;
        TextCode(path, &par, nullptr).run();
        par.option = Option::Sha1;
        par.encode = false;
        TextCode(path, &par, nullptr).run();
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }
};

QTEST_GUILESS_MAIN(TestTextCode)
#include "tst_textcode.moc"
