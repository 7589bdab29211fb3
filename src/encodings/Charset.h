// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

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

    // The codes of text, or a failure that names the first character without
    // one ("<what> holds the character 'X' (U+1234), which ..."): a silent
    // substitute would change what the user typed.
    static Result<QByteArray> encode(QStringView text, const QString& what);
};

} // namespace useropts
