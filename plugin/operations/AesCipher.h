#ifndef AESCIPHER_H
#define AESCIPHER_H

#include <QByteArray>
#include <QObject>

// The AES block cipher of FIPS-197 (128, 192 and 256-bit keys) in the ECB,
// CBC, CFB (128-bit segments) and OFB modes, with zero, PKCS#7 or ISO/IEC
// 7816-4 padding. Every call takes its key and initialisation vector anew and
// carries nothing over to the next call.
//
// Keys: a key shorter than the level's length is taken as if padded with
// zero bytes; of a longer key only the first bytes of that length count.
// The modes other than ECB need a 16-byte initialisation vector; without one
// encode and decode return a null array. decode leaves the padding in place
// (removePadding takes it off) and, in ECB and CBC, ignores a trailing block
// shorter than 16 bytes.
//
// An object keeps the block it is working on, so it must be used by one
// thread at a time; separate objects are independent.
class AesCipher : public QObject
{
    Q_OBJECT
public:
    // Every int is a value of these, so that values outside the lists are
    // well defined: a level other than AES_192 and AES_256 acts as AES_128,
    // another mode enciphers and deciphers to an empty array, another
    // padding adds and removes nothing.
    enum Aes : int { AES_128, AES_192, AES_256 };
    Q_ENUM(Aes)
    enum Mode : int { ECB, CBC, CFB, OFB };
    Q_ENUM(Mode)
    enum Padding : int { ZERO, PKCS7, ISO };
    Q_ENUM(Padding)

    AesCipher(Aes level, Mode mode, Padding padding);

    // rawText followed by its padding, enciphered: a multiple of 16 bytes.
    QByteArray encode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv);
    // rawText deciphered, padding included.
    QByteArray decode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv);
    QByteArray removePadding(const QByteArray &rawText) const;
    // The round keys of rounds 0 to nr, 16 bytes each.
    QByteArray expandKey(const QByteArray &key) const;

    static QByteArray encrypt(Aes level, Mode mode, const QByteArray &rawText,
                              const QByteArray &key, const QByteArray &iv, Padding padding);
    static QByteArray decrypt(Aes level, Mode mode, const QByteArray &rawText,
                              const QByteArray &key, const QByteArray &iv, Padding padding);
    static QByteArray expandKeyStatic(Aes level, Mode mode, const QByteArray &key);
    // ZERO drops every trailing zero byte; PKCS7 drops as many bytes as the
    // last one says when that is 1 to the size (the bytes are not checked);
    // ISO cuts at the 0x80 that only zero bytes follow, when there is one.
    static QByteArray stripPadding(const QByteArray &rawText, Padding padding);

private:
    QByteArray getPadding(int currSize, int alignment) const;
    // One whole 16-byte block through the rounds.
    QByteArray cipher(const QByteArray &expandedKey, const QByteArray &block);
    QByteArray invCipher(const QByteArray &expandedKey, const QByteArray &block);
    // The round steps, each on the 16 bytes of state.
    void addRoundKey(quint8 round, const QByteArray &expandedKey);
    void subBytes();
    void shiftRows();
    void mixColumns();
    void invSubBytes();
    void invShiftRows();
    void invMixColumns();
    // The first min(size of a, size of b) bytes of a XOR b.
    static QByteArray byteXor(const QByteArray &a, const QByteArray &b);
    bool ivFits(const QByteArray &iv) const;
    // The key stream of OFB for size bytes.
    QByteArray ofbStream(const QByteArray &expandedKey, const QByteArray &iv, int size);
    // CFB with its feedback taken from text when deciphering, from the result
    // when enciphering.
    QByteArray cfb(const QByteArray &expandedKey, const QByteArray &text, const QByteArray &iv,
                   bool deciphering);

    const int nb = 4;
    const int blockLen = 16;
    const Aes level;
    const Mode mode;
    const int nk;
    const int keyLen;
    const int nr;
    const Padding padding;
    // The block the round steps work on while cipher or invCipher runs.
    QByteArray *state = nullptr;
};

#endif // AESCIPHER_H
