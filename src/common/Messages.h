// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace useropts {

// The words many messages share, so that each reads the same wherever it
// comes from.

// Between the paragraphs of a message box: two carriage returns, which the
// window's message boxes show as an empty line.
inline const QString kParagraphBreak = QStringLiteral("\r\r");

// "cannot write /a/b: permission denied"
inline QString cannotWrite(const QString& shownPath, const QString& why)
{
    return QStringLiteral("cannot write %1: %2").arg(shownPath, why);
}

// "cannot read /a/b: it does not exist"
inline QString cannotRead(const QString& shownPath, const QString& why)
{
    return QStringLiteral("cannot read %1: %2").arg(shownPath, why);
}

// "it is a named pipe, not a regular file"
inline QString notARegularFile(const QString& kind)
{
    return QStringLiteral("it is %1, not a regular file").arg(kind);
}

} // namespace useropts
