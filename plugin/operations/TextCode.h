#ifndef TEXTCODE_H
#define TEXTCODE_H

#include <QObject>

// The encode, decode and digest operation.
class TextCode : public QObject
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
};

#endif // TEXTCODE_H
