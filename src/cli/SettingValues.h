// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "settings/EditorFields.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

namespace useropts {

// The settings as a script names them: by the variable each line of the
// file sets ("USERNAME"), with the values the window shows.

// The setting of that name, in any letter case.
std::optional<Field> fieldNamed(QStringView name);

QString nameOf(Field field);

// The setting on a line of the file (4 to 23).
std::optional<Field> fieldOnLine(int line);

// Every name, in the order of the file's lines.
QStringList allSettingNames();

// The two values of a choice as the file stores them: "0" and "1", or
// "BASIC" and "FULL"; entry 0 first.
std::array<QString, 2> choiceValues(Field field);

// What the window shows for a setting; a choice as its file value.
QString shownValue(const EditorFields& fields, Field field);

// Sets a setting as if typed or picked in the window. A choice takes only
// one of its two values: "REDIRECTOR takes BASIC or FULL, not 'full'".
Result<> setShownValue(EditorFields& fields, Field field, const QString& value);

} // namespace useropts
