#ifndef TEXTCODE_H
#define TEXTCODE_H

#include "operations/TextOperation.h"

#include <QByteArray>

struct ParCode;

// The encode, decode and digest operation over every cell of the chosen
// sheets. A cell's text goes in as its UTF-8 bytes, and bytes come back out
// as UTF-8 text up to their first zero byte (which drops AES's zero padding);
// digests are written in lower-case hexadecimal. The options that do nothing
// in a direction leave every cell as it is.
class TextCode : public TextOperation
{
    Q_OBJECT

public:
    enum class Option {
        BASIC,
        Hex,
        AES_128,
        ASCII,
        DES,
        Rabbit,
        RC4,
        TripleDes,
        Keccak_224,
        Keccak_256,
        Keccak_384,
        Keccak_512,
        RealSha3_224,
        RealSha3_256,
        RealSha3_384,
        RealSha3_512,
        Md4,
        Md5,
        Sha1,
        Sha224,
        Sha256,
        Sha384,
        Sha512
    };
    Q_ENUM(Option)

    // par is read only and must outlive run(); it is not owned.
    TextCode(const QString &fileName, const ParCode *par, QObject *parent);

    QString process() override;

    // Whether the option does anything in that direction: Base64, hex and
    // AES both ways, the digests only on encode.
    static bool changesCells(Option option, bool encode);
    // The AES-128 key that a password stands for: its MD5 digest.
    static QByteArray aesKey(const QByteArray &password);
    // What a cell's text becomes; aesKey is used by AES_128 only. The text
    // itself for an option that does nothing in that direction.
    static QString codeText(const QString &text, bool encode, Option option,
                            const QByteArray &aesKey);

private:
    void codec(const SheetScope &scope);

    const ParCode *par;
};

#endif // TEXTCODE_H
