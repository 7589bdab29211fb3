// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DefaultSettings.h"

#include "settings/SettingsLayout.h"

namespace useropts {

EditorFields defaultSettings()
{
    EditorFields fields;
    for (const SettingRow& row : kSettings) {
        if (row.kind() == FieldKind::Choice)
            fields.choice(row.field) = row.defaultChoice;
        else
            fields.text(row.field) = QString::fromLatin1(row.defaultText);
    }
    return fields;
}

const std::array<Field, kFieldCount>& defaultsOrder()
{
    static constexpr std::array<Field, kFieldCount> kOrder = [] {
        std::array<Field, kFieldCount> order{};
        for (const SettingRow& row : kSettings)
            order[static_cast<std::size_t>(row.defaultsOrder - 1)] = row.field;
        return order;
    }();
    return kOrder;
}

} // namespace useropts
