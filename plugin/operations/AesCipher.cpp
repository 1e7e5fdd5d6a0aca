#include "operations/AesCipher.h"

#include <algorithm>
#include <array>

namespace {

using ByteTable = std::array<quint8, 256>;

// Multiplication by x in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr quint8 xtime(quint8 b)
{
    return quint8((b << 1) ^ ((b & 0x80) ? 0x1B : 0x00));
}

constexpr quint8 multiply(quint8 a, quint8 b)
{
    quint8 product = 0;
    for (; b; b >>= 1, a = xtime(a)) {
        if (b & 1)
            product ^= a;
    }
    return product;
}

constexpr quint8 rotateLeft(quint8 b, int n)
{
    return quint8((b << n) | (b >> (8 - n)));
}

// The S-box as FIPS-197 derives it: the multiplicative inverse (0 for 0),
// then the affine transformation. The inverses come from the powers of the
// generator 3: the inverse of 3^i is 3^(255 - i).
constexpr ByteTable makeSbox()
{
    ByteTable power{};
    quint8 p = 1;
    for (int i = 0; i < 255; ++i, p = multiply(p, 3))
        power[i] = p;
    ByteTable inverse{};
    for (int i = 0; i < 255; ++i)
        inverse[power[i]] = power[(255 - i) % 255];
    ByteTable sbox{};
    for (int x = 0; x < 256; ++x) {
        const quint8 b = inverse[x];
        sbox[x] =
            b ^ rotateLeft(b, 1) ^ rotateLeft(b, 2) ^ rotateLeft(b, 3) ^ rotateLeft(b, 4) ^ 0x63;
    }
    return sbox;
}

constexpr ByteTable makeInverse(const ByteTable &table)
{
    ByteTable inverse{};
    for (int x = 0; x < 256; ++x)
        inverse[table[x]] = quint8(x);
    return inverse;
}

constexpr ByteTable sbox = makeSbox();
constexpr ByteTable rsbox = makeInverse(sbox);
// Index 0 is never used: key expansion starts at round constant 1.
constexpr quint8 rcon[14] = {0x8D, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20,
                             0x40, 0x80, 0x1B, 0x36, 0x6C, 0xD8, 0xAB};

constexpr int wordsPerKey(AesCipher::Aes level)
{
    return level == AesCipher::AES_256 ? 8 : level == AesCipher::AES_192 ? 6 : 4;
}

quint8 *bytesOf(QByteArray *array)
{
    return reinterpret_cast<quint8 *>(array->data());
}

} // namespace

AesCipher::AesCipher(Aes level, Mode mode, Padding padding)
    : level(level), mode(mode), nk(wordsPerKey(level)), keyLen(4 * nk), nr(nk + 6), padding(padding)
{
}

QByteArray AesCipher::encode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv)
{
    if (!ivFits(iv))
        return QByteArray();
    const QByteArray expanded = expandKey(key);
    QByteArray text = rawText + getPadding(rawText.size(), blockLen);
    // Only a padding outside the enumeration leaves a piece shorter than a
    // block, which the block modes leave out as decode does.
    const int whole = text.size() - text.size() % blockLen;
    QByteArray result;
    result.reserve(text.size());
    switch (mode) {
    case ECB:
        for (int i = 0; i < whole; i += blockLen)
            result += cipher(expanded, text.mid(i, blockLen));
        break;
    case CBC: {
        QByteArray chain = iv;
        for (int i = 0; i < whole; i += blockLen) {
            chain = cipher(expanded, byteXor(text.mid(i, blockLen), chain));
            result += chain;
        }
        break;
    }
    case CFB:
        result = cfb(expanded, text, iv, false);
        break;
    case OFB:
        result = byteXor(text, ofbStream(expanded, iv, text.size()));
        break;
    }
    return result;
}

QByteArray AesCipher::decode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv)
{
    if (!ivFits(iv))
        return QByteArray();
    const QByteArray expanded = expandKey(key);
    // A trailing piece shorter than a block cannot be deciphered in the block
    // modes; it is left out rather than read past.
    const int whole = rawText.size() - rawText.size() % blockLen;
    QByteArray result;
    result.reserve(rawText.size());
    switch (mode) {
    case ECB:
        for (int i = 0; i < whole; i += blockLen)
            result += invCipher(expanded, rawText.mid(i, blockLen));
        break;
    case CBC: {
        QByteArray chain = iv;
        for (int i = 0; i < whole; i += blockLen) {
            const QByteArray block = rawText.mid(i, blockLen);
            result += byteXor(invCipher(expanded, block), chain);
            chain = block;
        }
        break;
    }
    case CFB:
        result = cfb(expanded, rawText, iv, true);
        break;
    case OFB:
        result = byteXor(rawText, ofbStream(expanded, iv, rawText.size()));
        break;
    }
    return result;
}

QByteArray AesCipher::removePadding(const QByteArray &rawText) const
{
    return stripPadding(rawText, padding);
}

QByteArray AesCipher::expandKey(const QByteArray &key) const
{
    const int words = nb * (nr + 1);
    // A short key counts as padded with zero bytes.
    QByteArray expanded(4 * words, '\0');
    quint8 *w = bytesOf(&expanded);
    std::copy_n(key.constData(), std::min(int(key.size()), keyLen), expanded.data());
    for (int i = nk; i < words; ++i) {
        quint8 temp[4] = {w[4 * i - 4], w[4 * i - 3], w[4 * i - 2], w[4 * i - 1]};
        if (i % nk == 0) {
            const quint8 first = temp[0];
            temp[0] = sbox[temp[1]] ^ rcon[i / nk];
            temp[1] = sbox[temp[2]];
            temp[2] = sbox[temp[3]];
            temp[3] = sbox[first];
        } else if (nk > 6 && i % nk == 4) {
            for (quint8 &b : temp)
                b = sbox[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = w[4 * (i - nk) + j] ^ temp[j];
    }
    return expanded;
}

QByteArray AesCipher::encrypt(Aes level, Mode mode, const QByteArray &rawText,
                              const QByteArray &key, const QByteArray &iv, Padding padding)
{
    return AesCipher(level, mode, padding).encode(rawText, key, iv);
}

QByteArray AesCipher::decrypt(Aes level, Mode mode, const QByteArray &rawText,
                              const QByteArray &key, const QByteArray &iv, Padding padding)
{
    return AesCipher(level, mode, padding).decode(rawText, key, iv);
}

QByteArray AesCipher::expandKeyStatic(Aes level, Mode mode, const QByteArray &key)
{
    return AesCipher(level, mode, ISO).expandKey(key);
}

QByteArray AesCipher::stripPadding(const QByteArray &rawText, Padding padding)
{
    if (rawText.isEmpty())
        return rawText;
    int end = rawText.size();
    switch (padding) {
    case ZERO:
        while (end > 0 && rawText.at(end - 1) == '\0')
            --end;
        return rawText.left(end);
    case PKCS7: {
        const int count = qint8(rawText.at(end - 1));
        return count >= 1 && count <= end ? rawText.left(end - count) : rawText;
    }
    case ISO:
        while (end > 0 && rawText.at(end - 1) == '\0')
            --end;
        return end > 0 && quint8(rawText.at(end - 1)) == 0x80 ? rawText.left(end - 1) : rawText;
    }
    return rawText;
}

QByteArray AesCipher::getPadding(int currSize, int alignment) const
{
    const int count = (alignment - currSize % alignment) % alignment;
    switch (padding) {
    case ZERO:
        return QByteArray(count, '\0');
    case PKCS7: {
        const int size = count == 0 ? alignment : count;
        return QByteArray(size, char(size));
    }
    case ISO:
        return count == 0 ? QByteArray() : char(0x80) + QByteArray(count - 1, '\0');
    }
    return QByteArray();
}

QByteArray AesCipher::cipher(const QByteArray &expandedKey, const QByteArray &block)
{
    Q_ASSERT(block.size() == blockLen);
    QByteArray result = block;
    state = &result;
    addRoundKey(0, expandedKey);
    for (int round = 1; round < nr; ++round) {
        subBytes();
        shiftRows();
        mixColumns();
        addRoundKey(quint8(round), expandedKey);
    }
    subBytes();
    shiftRows();
    addRoundKey(quint8(nr), expandedKey);
    state = nullptr;
    return result;
}

QByteArray AesCipher::invCipher(const QByteArray &expandedKey, const QByteArray &block)
{
    Q_ASSERT(block.size() == blockLen);
    QByteArray result = block;
    state = &result;
    addRoundKey(quint8(nr), expandedKey);
    for (int round = nr - 1; round > 0; --round) {
        invShiftRows();
        invSubBytes();
        addRoundKey(quint8(round), expandedKey);
        invMixColumns();
    }
    invShiftRows();
    invSubBytes();
    addRoundKey(0, expandedKey);
    state = nullptr;
    return result;
}

void AesCipher::addRoundKey(quint8 round, const QByteArray &expandedKey)
{
    quint8 *s = bytesOf(state);
    const char *roundKey = expandedKey.constData() + blockLen * round;
    for (int i = 0; i < blockLen; ++i)
        s[i] ^= quint8(roundKey[i]);
}

void AesCipher::subBytes()
{
    quint8 *s = bytesOf(state);
    for (int i = 0; i < blockLen; ++i)
        s[i] = sbox[s[i]];
}

void AesCipher::invSubBytes()
{
    quint8 *s = bytesOf(state);
    for (int i = 0; i < blockLen; ++i)
        s[i] = rsbox[s[i]];
}

// Byte i of the block is row i % 4 of column i / 4; row r turns left by r
// columns.
void AesCipher::shiftRows()
{
    quint8 *s = bytesOf(state);
    for (int row = 1; row < 4; ++row) {
        quint8 line[4];
        for (int column = 0; column < 4; ++column)
            line[column] = s[row + 4 * ((column + row) % 4)];
        for (int column = 0; column < 4; ++column)
            s[row + 4 * column] = line[column];
    }
}

void AesCipher::invShiftRows()
{
    quint8 *s = bytesOf(state);
    for (int row = 1; row < 4; ++row) {
        quint8 line[4];
        for (int column = 0; column < 4; ++column)
            line[(column + row) % 4] = s[row + 4 * column];
        for (int column = 0; column < 4; ++column)
            s[row + 4 * column] = line[column];
    }
}

void AesCipher::mixColumns()
{
    quint8 *s = bytesOf(state);
    for (int c = 0; c < blockLen; c += 4) {
        const quint8 a0 = s[c], a1 = s[c + 1], a2 = s[c + 2], a3 = s[c + 3];
        const quint8 all = a0 ^ a1 ^ a2 ^ a3;
        // {02}a ^ {03}b ^ c ^ d = a ^ all ^ {02}(a ^ b), and so on round the column.
        s[c] = a0 ^ all ^ xtime(a0 ^ a1);
        s[c + 1] = a1 ^ all ^ xtime(a1 ^ a2);
        s[c + 2] = a2 ^ all ^ xtime(a2 ^ a3);
        s[c + 3] = a3 ^ all ^ xtime(a3 ^ a0);
    }
}

void AesCipher::invMixColumns()
{
    quint8 *s = bytesOf(state);
    for (int c = 0; c < blockLen; c += 4) {
        const quint8 a[4] = {s[c], s[c + 1], s[c + 2], s[c + 3]};
        for (int r = 0; r < 4; ++r) {
            s[c + r] = multiply(a[r], 0x0E) ^ multiply(a[(r + 1) % 4], 0x0B) ^
                       multiply(a[(r + 2) % 4], 0x0D) ^ multiply(a[(r + 3) % 4], 0x09);
        }
    }
}

QByteArray AesCipher::byteXor(const QByteArray &a, const QByteArray &b)
{
    QByteArray result = a.left(std::min(a.size(), b.size()));
    char *r = result.data();
    for (int i = 0; i < result.size(); ++i)
        r[i] ^= b.at(i);
    return result;
}

bool AesCipher::ivFits(const QByteArray &iv) const
{
    return mode == ECB || iv.size() == blockLen;
}

QByteArray AesCipher::ofbStream(const QByteArray &expandedKey, const QByteArray &iv, int size)
{
    QByteArray stream;
    stream.reserve(size + blockLen);
    QByteArray block = iv;
    while (stream.size() < size) {
        block = cipher(expandedKey, block);
        stream += block;
    }
    return stream;
}

QByteArray AesCipher::cfb(const QByteArray &expandedKey, const QByteArray &text,
                          const QByteArray &iv, bool deciphering)
{
    QByteArray result;
    result.reserve(text.size());
    QByteArray feedback = iv;
    for (int i = 0; i < text.size(); i += blockLen) {
        const QByteArray piece = text.mid(i, blockLen);
        const QByteArray out = byteXor(piece, cipher(expandedKey, feedback));
        result += out;
        feedback = deciphering ? piece : out;
    }
    return result;
}
