#include "operations/TextCode.h"

#include "operations/AesCipher.h"
#include "records/ParCode.h"

#include <QCryptographicHash>

#include <optional>

namespace {

std::optional<QCryptographicHash::Algorithm> digestOf(TextCode::Option option)
{
    using Option = TextCode::Option;
    switch (option) {
    case Option::Keccak_224:
        return QCryptographicHash::Keccak_224;
    case Option::Keccak_256:
        return QCryptographicHash::Keccak_256;
    case Option::Keccak_384:
        return QCryptographicHash::Keccak_384;
    case Option::Keccak_512:
        return QCryptographicHash::Keccak_512;
    case Option::RealSha3_224:
        return QCryptographicHash::RealSha3_224;
    case Option::RealSha3_256:
        return QCryptographicHash::RealSha3_256;
    case Option::RealSha3_384:
        return QCryptographicHash::RealSha3_384;
    case Option::RealSha3_512:
        return QCryptographicHash::RealSha3_512;
    case Option::Md4:
        return QCryptographicHash::Md4;
    case Option::Md5:
        return QCryptographicHash::Md5;
    case Option::Sha1:
        return QCryptographicHash::Sha1;
    case Option::Sha224:
        return QCryptographicHash::Sha224;
    case Option::Sha256:
        return QCryptographicHash::Sha256;
    case Option::Sha384:
        return QCryptographicHash::Sha384;
    case Option::Sha512:
        return QCryptographicHash::Sha512;
    default:
        return std::nullopt;
    }
}

// Decoded bytes as cell text: UTF-8 up to the first zero byte.
QString textFrom(const QByteArray &bytes)
{
    const int end = bytes.indexOf('\0');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end));
}

QByteArray aes(bool encode, const QByteArray &bytes, const QByteArray &key)
{
    // ECB takes no initialisation vector.
    return encode ? AesCipher::encrypt(AesCipher::AES_128, AesCipher::ECB, bytes, key, QByteArray(),
                                       AesCipher::ZERO)
                  : AesCipher::decrypt(AesCipher::AES_128, AesCipher::ECB, bytes, key, QByteArray(),
                                       AesCipher::ZERO);
}

} // namespace

TextCode::TextCode(const QString &fileName, const ParCode *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextCode::process()
{
    forEachSheet(par->sheetIndex, TracedSheets, [this](const SheetScope &scope) {
        codec(scope);
        return true;
    });
    return QString();
}

void TextCode::codec(const SheetScope &scope)
{
    if (!changesCells(par->option, par->encode))
        return;
    // Held only while this sheet is converted.
    const QByteArray key = par->option == Option::AES_128 ? aesKey(par->password) : QByteArray();
    walkCells(scope, [this, &key](QString &text) {
        text = codeText(text, par->encode, par->option, key);
    });
}

bool TextCode::changesCells(Option option, bool encode)
{
    switch (option) {
    case Option::BASIC:
    case Option::Hex:
    case Option::AES_128:
        return true;
    default:
        return encode && digestOf(option).has_value();
    }
}

QByteArray TextCode::aesKey(const QByteArray &password)
{
    return QCryptographicHash::hash(password, QCryptographicHash::Md5);
}

QString TextCode::codeText(const QString &text, bool encode, Option option,
                           const QByteArray &aesKey)
{
    if (!changesCells(option, encode))
        return text;
    // Chinese text survives only as UTF-8; for ASCII it is the same bytes
    // as before, so texts encoded earlier still decode.
    const QByteArray bytes = text.toUtf8();
    switch (option) {
    case Option::BASIC:
        return encode ? QString::fromLatin1(bytes.toBase64())
                      : textFrom(QByteArray::fromBase64(bytes));
    case Option::Hex:
        return encode ? QString::fromLatin1(bytes.toHex()) : textFrom(QByteArray::fromHex(bytes));
    case Option::AES_128:
        return encode ? QString::fromLatin1(aes(true, bytes, aesKey).toBase64())
                      : textFrom(aes(false, QByteArray::fromBase64(bytes), aesKey));
    default:
        return QString::fromLatin1(QCryptographicHash::hash(bytes, *digestOf(option)).toHex());
    }
}
