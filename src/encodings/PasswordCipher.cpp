// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/PasswordCipher.h"

#include "encodings/Charset.h"

namespace useropts {

namespace {

// The codes of text shifted by direction times their position, or the
// position (from 1) of the first code that would leave 0..255.
Result<QString> shift(const QString& text, int direction, const QString& what)
{
    const Result<QByteArray> codes = Charset::encode(text, what);
    if (!codes.ok())
        return codes.failure();
    QByteArray out = codes.value();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const qsizetype position = i + 1;
        const int code = static_cast<unsigned char>(out[i]);
        const qsizetype shifted = code + direction * position;
        if (shifted < 0 || shifted > 255) {
            return Failure{direction > 0
                               ? QStringLiteral("the password character at position %1 (code "
                                                "%2) cannot be stored: its code plus its "
                                                "position exceeds 255")
                                     .arg(position)
                                     .arg(code)
                               : QStringLiteral("the stored password character at position %1 "
                                                "(code %2) is smaller than its position and "
                                                "cannot be unscrambled")
                                     .arg(position)
                                     .arg(code)};
        }
        out[i] = static_cast<char>(shifted);
    }
    return Charset::decode(out);
}

} // namespace

Result<QString> Encrypt(const QString& plain)
{
    return shift(plain, +1, QStringLiteral("the password"));
}

Result<QString> Decrypt(const QString& stored)
{
    return shift(stored, -1, QStringLiteral("the stored password"));
}

} // namespace useropts
