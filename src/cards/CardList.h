// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace useropts {

// A card list line is cut into fixed columns, counted from 1: the card code
// in 1 to 8, the description in 19 to 40; everything else is ignored. Only
// the space character counts as blank, so a tab is part of a field.
inline constexpr qsizetype kCardCodeWidth = 8;
inline constexpr qsizetype kCardDescriptionStart = 18; // 0-based column 19
inline constexpr qsizetype kCardDescriptionWidth = 22;

// "CODE - Description" for one line without its line end: the code without
// outer blanks and in upper case, the description without outer blanks.
QString cardEntry(QByteArrayView line);

// One entry for every line that holds more than blanks, in file order,
// duplicates kept. Lines end at CR or CR LF; a lone LF is an ordinary
// character.
QStringList cardEntries(const QByteArray& bytes);

} // namespace useropts
