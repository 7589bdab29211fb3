// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/EditorFields.h"

#include "settings/SettingsLayout.h"

#include <QtGlobal>

namespace useropts {

namespace {

constexpr std::array<Field, kFieldCount> kAllFields = [] {
    std::array<Field, kFieldCount> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = static_cast<Field>(i);
    return fields;
}();

std::size_t at(Field field)
{
    Q_ASSERT(field >= Field::NetCard && field < Field::Count);
    return static_cast<std::size_t>(field);
}

} // namespace

bool isChoice(Field field)
{
    return settingRow(field).kind() == FieldKind::Choice;
}

QString fieldCaption(Field field)
{
    const std::string_view caption = settingRow(field).caption;
    return QString::fromLatin1(caption.data(), qsizetype(caption.size()));
}

const std::array<Field, kFieldCount>& allFields()
{
    return kAllFields;
}

QString& EditorFields::text(Field field)
{
    Q_ASSERT(!isChoice(field));
    return m_texts[at(field)];
}

const QString& EditorFields::text(Field field) const
{
    Q_ASSERT(!isChoice(field));
    return m_texts[at(field)];
}

int& EditorFields::choice(Field field)
{
    Q_ASSERT(isChoice(field));
    return m_choices[at(field)];
}

int EditorFields::choice(Field field) const
{
    Q_ASSERT(isChoice(field));
    return m_choices[at(field)];
}

} // namespace useropts
