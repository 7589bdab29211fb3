#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace useropts {

// The single-byte character set in which USEROPTS.BAT and CardData.txt are
// read and written: Windows-1252 where it defines a character, and the C1
// control character of the same number for the five codes it leaves open, so
// that every byte maps to exactly one character and back.
class Charset
{
  public:
    static QChar toUnicode(unsigned char code);
    static std::optional<unsigned char> toCode(QChar ch);

    static QString decode(const QByteArray& bytes);

    // Index of the first character of text that has no code, or -1.
    static qsizetype firstUnencodable(QStringView text);

    // The codes of text, or nothing when one of its characters has none:
    // a silent substitute would change what the user typed.
    static std::optional<QByteArray> encode(QStringView text);

    // "the character 'X' (U+1234)" for the character at index, whole code
    // point included when it is a surrogate pair; for failure messages.
    static QString describeCharacterAt(QStringView text, qsizetype index);

    // "<what> holds the character 'X' (U+1234), which has no code in the
    // file's character set", for a text that encode() refused.
    static QString describeUnencodable(const QString& what, QStringView text);
};

} // namespace useropts
