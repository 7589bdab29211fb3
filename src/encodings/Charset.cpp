// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/Charset.h"

#include <array>

namespace useropts {

namespace {

// 0x80..0x9F; the other codes are the Latin-1 characters of the same number.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

// "the character 'X' (U+1234)" for the character at index, the whole code
// point when it is a surrogate pair, and only the number for one that
// cannot be shown.
QString describeCharacterAt(QStringView text, qsizetype index)
{
    char32_t codePoint = text[index].unicode();
    qsizetype length = 1;
    if (text[index].isHighSurrogate() && index + 1 < text.size() &&
        text[index + 1].isLowSurrogate()) {
        codePoint = QChar::surrogateToUcs4(text[index], text[index + 1]);
        length = 2;
    }
    const QString hex = QString::number(codePoint, 16).toUpper().rightJustified(4, u'0');
    const bool printable = QChar::isPrint(codePoint) && !QChar::isSurrogate(codePoint);
    if (!printable)
        return QStringLiteral("the character U+%1").arg(hex);
    return QStringLiteral("the character '%1' (U+%2)").arg(text.mid(index, length), hex);
}

} // namespace

QChar Charset::toUnicode(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F)
        return QChar(kHighControlRange[code - 0x80]);
    return QChar(char16_t(code));
}

std::optional<unsigned char> Charset::toCode(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

QString Charset::decode(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes)
        *out++ = toUnicode(static_cast<unsigned char>(b));
    return text;
}

Result<QByteArray> Charset::encode(QStringView text, const QString& what)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto code = toCode(text[i]);
        if (!code) {
            return Failure{QStringLiteral("%1 holds %2, which has no code in the file's "
                                          "character set")
                               .arg(what, describeCharacterAt(text, i))};
        }
        bytes[i] = static_cast<char>(*code);
    }
    return bytes;
}

} // namespace useropts
