#include "operations/AesCipher.h"

#include <QtTest>

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray counting(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 1);
    return bytes;
}

// The plaintext, AES-128 key and initialisation vector of the mode examples
// in NIST SP 800-38A, appendix F; the key and the longer ones are those of
// FIPS-197 appendix A.
const QByteArray modePlain = hex("6bc1bee22e409f96e93d7e117393172a"
                                 "ae2d8a571e03ac9c9eb76fac45af8e51"
                                 "30c81c46a35ce411e5fbc1191a0a52ef"
                                 "f69f2445df4f9b17ad2b417be66c3710");
const QByteArray modeKey128 = hex("2b7e151628aed2a6abf7158809cf4f3c");
const QByteArray modeKey192 = hex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b");
const QByteArray modeKey256 =
    hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
const QByteArray modeIv = hex("000102030405060708090a0b0c0d0e0f");

} // namespace

class TestAesCipher : public QObject
{
    Q_OBJECT
private slots:
    // FIPS-197 appendix C: one block each way.
    void fipsExamples_data()
    {
        QTest::addColumn<AesCipher::Aes>("level");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("enciphered");
        const QByteArray plain = hex("00112233445566778899aabbccddeeff");
        QTest::newRow("C.1") << AesCipher::AES_128 << hex("000102030405060708090a0b0c0d0e0f")
                             << plain << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("C.2") << AesCipher::AES_192
                             << hex("000102030405060708090a0b0c0d0e0f1011121314151617") << plain
                             << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("C.3")
            << AesCipher::AES_256
            << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f") << plain
            << hex("8ea2b7ca516745bfeafc49904b496089");
    }
    void fipsExamples()
    {
        QFETCH(AesCipher::Aes, level);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, enciphered);
        AesCipher aes(level, AesCipher::ECB, AesCipher::ZERO);
        QCOMPARE(aes.encode(plain, key, QByteArray()), enciphered);
        QCOMPARE(aes.decode(enciphered, key, QByteArray()), plain);
    }

    // FIPS-197 appendix A: the key starts the schedule, the last word ends it.
    void keyExpansion_data()
    {
        QTest::addColumn<AesCipher::Aes>("level");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("lastWord");
        QTest::newRow("128") << AesCipher::AES_128 << modeKey128 << 176 << hex("b6630ca6");
        QTest::newRow("192") << AesCipher::AES_192 << modeKey192 << 208 << hex("01002202");
        QTest::newRow("256") << AesCipher::AES_256 << modeKey256 << 240 << hex("706c631e");
    }
    void keyExpansion()
    {
        QFETCH(AesCipher::Aes, level);
        QFETCH(QByteArray, key);
        QFETCH(int, size);
        QFETCH(QByteArray, lastWord);
        const QByteArray expanded = AesCipher::expandKeyStatic(level, AesCipher::CBC, key);
        QCOMPARE(expanded.size(), size);
        QCOMPARE(expanded.left(key.size()), key);
        QCOMPARE(expanded.right(4), lastWord);
        // Bytes past the key's length do not count.
        QCOMPARE(AesCipher::expandKeyStatic(level, AesCipher::ECB, key + "extra"), expanded);
    }

    // NIST SP 800-38A appendix F, both ways; a cut ciphertext deciphers to
    // as much of the plaintext as it holds: whole blocks only in ECB and CBC,
    // every byte in CFB and OFB.
    void modeExamples_data()
    {
        QTest::addColumn<AesCipher::Mode>("mode");
        QTest::addColumn<QByteArray>("enciphered");
        QTest::addColumn<bool>("byteWise");
        QTest::newRow("ECB")
            << AesCipher::ECB
            << hex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
                   "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4")
            << false;
        QTest::newRow("CBC")
            << AesCipher::CBC
            << hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                   "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7")
            << false;
        QTest::newRow("CFB128")
            << AesCipher::CFB
            << hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                   "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6")
            << true;
        QTest::newRow("OFB")
            << AesCipher::OFB
            << hex("3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                   "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e")
            << true;
    }
    void modeExamples()
    {
        QFETCH(AesCipher::Mode, mode);
        QFETCH(QByteArray, enciphered);
        QFETCH(bool, byteWise);
        AesCipher aes(AesCipher::AES_128, mode, AesCipher::ZERO);
        QCOMPARE(aes.encode(modePlain, modeKey128, modeIv), enciphered);
        QCOMPARE(aes.decode(enciphered, modeKey128, modeIv), modePlain);
        for (int cut : {40, 9})
            QCOMPARE(aes.decode(enciphered.left(cut), modeKey128, modeIv),
                     modePlain.left(byteWise ? cut : cut - cut % 16));
    }

    // What each padding adds to a text and takes off again.
    void paddings_data()
    {
        QTest::addColumn<AesCipher::Padding>("padding");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("padded");
        const QByteArray block = counting(16);
        const QByteArray five = counting(5);
        QTest::newRow("zero, aligned") << AesCipher::ZERO << block << block;
        QTest::newRow("zero, 17 bytes")
            << AesCipher::ZERO << counting(17) << counting(17) + QByteArray(15, '\0');
        QTest::newRow("zero, empty") << AesCipher::ZERO << QByteArray() << QByteArray();
        QTest::newRow("pkcs7, aligned")
            << AesCipher::PKCS7 << block << block + QByteArray(16, '\x10');
        QTest::newRow("pkcs7, 5 bytes") << AesCipher::PKCS7 << five << five + QByteArray(11, 11);
        QTest::newRow("pkcs7, empty") << AesCipher::PKCS7 << QByteArray() << QByteArray(16, 16);
        QTest::newRow("iso, aligned") << AesCipher::ISO << block << block;
        QTest::newRow("iso, 5 bytes")
            << AesCipher::ISO << five << five + '\x80' + QByteArray(10, '\0');
        QTest::newRow("iso, empty") << AesCipher::ISO << QByteArray() << QByteArray();
    }
    void paddings()
    {
        QFETCH(AesCipher::Padding, padding);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, padded);
        AesCipher aes(AesCipher::AES_128, AesCipher::ECB, padding);
        const QByteArray enciphered = aes.encode(text, modeKey128, QByteArray());
        QCOMPARE(enciphered.size(), padded.size());
        const QByteArray deciphered = aes.decode(enciphered, modeKey128, QByteArray());
        QCOMPARE(deciphered, padded);
        QCOMPARE(aes.removePadding(deciphered), text);
    }

    void stripPadding_data()
    {
        QTest::addColumn<AesCipher::Padding>("padding");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stripped");
        QTest::newRow("zero") << AesCipher::ZERO << QByteArray("ab\0c\0\0", 6)
                              << QByteArray("ab\0c", 4);
        QTest::newRow("zero, only zeros") << AesCipher::ZERO << QByteArray(3, '\0') << QByteArray();
        QTest::newRow("pkcs7, last 0")
            << AesCipher::PKCS7 << QByteArray("ab\0", 3) << QByteArray("ab\0", 3);
        QTest::newRow("pkcs7, last 0x80")
            << AesCipher::PKCS7 << QByteArray("ab\x80") << QByteArray("ab\x80");
        QTest::newRow("pkcs7, beyond the size")
            << AesCipher::PKCS7 << QByteArray("ab\x04") << QByteArray("ab\x04");
        QTest::newRow("pkcs7, bytes unchecked")
            << AesCipher::PKCS7 << QByteArray("abc\x03") << QByteArray("a");
        QTest::newRow("iso, never padded")
            << AesCipher::ISO << QByteArray("ab\x80\0\0", 5) << QByteArray("ab");
        QTest::newRow("iso, no 0x80")
            << AesCipher::ISO << QByteArray("ab\0", 3) << QByteArray("ab\0", 3);
        QTest::newRow("iso, only zeros")
            << AesCipher::ISO << QByteArray(2, '\0') << QByteArray(2, '\0');
        QTest::newRow("empty") << AesCipher::PKCS7 << QByteArray() << QByteArray();
    }
    void stripPadding()
    {
        QFETCH(AesCipher::Padding, padding);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stripped);
        QCOMPARE(AesCipher::stripPadding(text, padding), stripped);
    }

    // The chaining modes need a 16-byte vector; ECB never looks at it.
    void initialisationVector()
    {
        const QByteArray short15 = modeIv.left(15);
        const QByteArray text = modePlain.left(16);
        for (auto mode : {AesCipher::CBC, AesCipher::CFB, AesCipher::OFB}) {
            AesCipher aes(AesCipher::AES_128, mode, AesCipher::PKCS7);
            QVERIFY(aes.decode(text, modeKey128, short15).isNull());
            QVERIFY(aes.encode(text, modeKey128, QByteArray()).isNull());
        }
        AesCipher ecb(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(ecb.decode(text, modeKey128, short15), ecb.decode(text, modeKey128, QByteArray()));
        QCOMPARE(ecb.decode(text, modeKey128, short15).size(), 16);
    }

    // A short key works as if padded with zero bytes, an empty one included.
    void shortKeys()
    {
        const QByteArray text = counting(21);
        for (auto level : {AesCipher::AES_128, AesCipher::AES_192, AesCipher::AES_256}) {
            for (const QByteArray &key : {QByteArray(), QByteArray("abc"), modeKey128}) {
                const QByteArray padded = key + QByteArray(16 + 8 * level - key.size(), '\0');
                AesCipher aes(level, AesCipher::CBC, AesCipher::ISO);
                QCOMPARE(aes.encode(text, key, modeIv), aes.encode(text, padded, modeIv));
                QCOMPARE(aes.expandKey(key), aes.expandKey(padded));
            }
        }
    }

    // Every level, mode and padding gives back any length of text.
    void roundTrips()
    {
        const QByteArray key = counting(32);
        for (auto level : {AesCipher::AES_128, AesCipher::AES_192, AesCipher::AES_256}) {
            for (auto mode : {AesCipher::ECB, AesCipher::CBC, AesCipher::CFB, AesCipher::OFB}) {
                for (auto padding : {AesCipher::ZERO, AesCipher::PKCS7, AesCipher::ISO}) {
                    AesCipher aes(level, mode, padding);
                    for (int size : {1, 15, 16, 33}) {
                        const QByteArray text = counting(size);
                        const QByteArray enciphered = aes.encode(text, key, modeIv);
                        QCOMPARE(enciphered.size() % 16, 0);
                        QVERIFY(enciphered != text.leftJustified(enciphered.size(), '\0'));
                        QCOMPARE(aes.removePadding(aes.decode(enciphered, key, modeIv)), text);
                    }
                }
            }
        }
    }

    // Values outside the enumerations: another level acts as AES-128,
    // another mode gives nothing, another padding adds and removes nothing
    // (so the block modes leave out the short last piece).
    void valuesOutsideTheEnumerations_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("padding");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray text = counting(20);
        const auto aes128 = [](AesCipher::Mode mode, const QByteArray &plain) {
            return AesCipher::encrypt(AesCipher::AES_128, mode, plain, modeKey128, modeIv,
                                      AesCipher::ZERO);
        };
        QTest::newRow("level 7") << 7 << int(AesCipher::CBC) << int(AesCipher::ZERO)
                                 << aes128(AesCipher::CBC, text);
        QTest::newRow("level -1") << -1 << int(AesCipher::OFB) << int(AesCipher::ZERO)
                                  << aes128(AesCipher::OFB, text);
        QTest::newRow("mode 4") << 0 << 4 << int(AesCipher::PKCS7) << QByteArray();
        QTest::newRow("mode -1") << 0 << -1 << int(AesCipher::ZERO) << QByteArray();
        QTest::newRow("padding 3, ECB")
            << 0 << int(AesCipher::ECB) << 3 << aes128(AesCipher::ECB, text.left(16));
        QTest::newRow("padding 9, CFB")
            << 0 << int(AesCipher::CFB) << 9 << aes128(AesCipher::CFB, text).left(20);
    }
    void valuesOutsideTheEnumerations()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(int, padding);
        QFETCH(QByteArray, expected);
        AesCipher aes{AesCipher::Aes(level), AesCipher::Mode(mode), AesCipher::Padding(padding)};
        const QByteArray text = counting(20);
        QCOMPARE(aes.encode(text, modeKey128, modeIv), expected);
        QCOMPARE(aes.expandKey(modeKey128).size(), 176);
        if (mode >= AesCipher::ECB && mode <= AesCipher::OFB)
            QCOMPARE(aes.decode(expected, modeKey128, modeIv).left(text.size()),
                     text.left(expected.size()));
        else
            QVERIFY(aes.decode(text.left(16), modeKey128, modeIv).isEmpty());
        if (padding > AesCipher::ISO)
            QCOMPARE(aes.removePadding(text + QByteArray(3, '\0')), text + QByteArray(3, '\0'));
    }
};

QTEST_APPLESS_MAIN(TestAesCipher)
#include "tst_aescipher.moc"
