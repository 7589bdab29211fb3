#include "encodings/PasswordCipher.h"

#include "encodings/Charset.h"

namespace useropts {

namespace {

CipherBytes shift(const QByteArray& in, int direction)
{
    CipherBytes out;
    out.bytes.resize(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const qsizetype position = i + 1;
        const qsizetype code = static_cast<unsigned char>(in[i]) + direction * position;
        if (code < 0 || code > 255) {
            out.bytes.clear();
            out.failedPosition = static_cast<int>(position);
            return out;
        }
        out.bytes[i] = static_cast<char>(code);
    }
    return out;
}

} // namespace

CipherBytes encryptCodes(const QByteArray& plain)
{
    return shift(plain, +1);
}

CipherBytes decryptCodes(const QByteArray& stored)
{
    return shift(stored, -1);
}

QString describeEncryptFailure(const QByteArray& plain, int position)
{
    const int code = static_cast<unsigned char>(plain[position - 1]);
    return QStringLiteral("the password character at position %1 (code %2) cannot be stored: "
                          "its code plus its position exceeds 255")
        .arg(position)
        .arg(code);
}

QString describeDecryptFailure(const QByteArray& stored, int position)
{
    const int code = static_cast<unsigned char>(stored[position - 1]);
    return QStringLiteral("the stored password character at position %1 (code %2) is smaller "
                          "than its position and cannot be unscrambled")
        .arg(position)
        .arg(code);
}

namespace {

// The text forms go through the file's character set on both sides.
CipherText shiftText(const QString& text, const QString& what,
                     CipherBytes (*shiftCodes)(const QByteArray&),
                     QString (*describe)(const QByteArray&, int))
{
    const auto codes = Charset::encode(text);
    if (!codes)
        return {{}, Charset::describeUnencodable(what, text)};
    const CipherBytes result = shiftCodes(*codes);
    if (!result.ok())
        return {{}, describe(*codes, result.failedPosition)};
    return {Charset::decode(result.bytes), {}};
}

} // namespace

CipherText Encrypt(const QString& plain)
{
    return shiftText(plain, QStringLiteral("the password"), encryptCodes, describeEncryptFailure);
}

CipherText Decrypt(const QString& stored)
{
    return shiftText(stored, QStringLiteral("the stored password"), decryptCodes,
                     describeDecryptFailure);
}

} // namespace useropts
