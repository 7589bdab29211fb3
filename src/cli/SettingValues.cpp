// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SettingValues.h"

#include "cli/TextForms.h"
#include "settings/SettingsLayout.h"

namespace useropts {

std::optional<Field> fieldNamed(QStringView name)
{
    for (const SettingRow& format : kSettings) {
        const std::string_view known = settingName(format);
        if (name.compare(QLatin1StringView(known.data(), qsizetype(known.size())),
                         Qt::CaseInsensitive) == 0)
            return format.field;
    }
    return std::nullopt;
}

QString nameOf(Field field)
{
    const std::string_view name = settingName(field);
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

std::optional<Field> fieldOnLine(int line)
{
    const int index = line - kFirstDataLine;
    if (index < 0 || index >= kFieldCount)
        return std::nullopt;
    return kSettings[std::size_t(index)].field;
}

QStringList allSettingNames()
{
    QStringList names;
    for (const Field field : allFields())
        names << nameOf(field);
    return names;
}

std::array<QString, 2> choiceValues(Field field)
{
    if (kSettings[static_cast<std::size_t>(field)].form == ValueForm::BasicFull)
        return {QStringLiteral("BASIC"), QStringLiteral("FULL")};
    return {QStringLiteral("0"), QStringLiteral("1")};
}

QString shownValue(const EditorFields& fields, Field field)
{
    if (!isChoice(field))
        return fields.text(field);
    const int index = fields.choice(field);
    return index == 0 || index == 1 ? choiceValues(field)[std::size_t(index)] : QString();
}

Result<> setShownValue(EditorFields& fields, Field field, const QString& value)
{
    if (!isChoice(field)) {
        fields.text(field) = value;
        return {};
    }
    const std::array<QString, 2> values = choiceValues(field);
    for (std::size_t index = 0; index < values.size(); ++index) {
        if (value == values[index]) {
            fields.choice(field) = int(index);
            return {};
        }
    }
    return Failure{QStringLiteral("%1 takes %2 or %3, not '%4'")
                       .arg(nameOf(field), values[0], values[1], escapedValue(value))};
}

} // namespace useropts
