// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorLayout.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace useropts {

namespace {

using L = Look;

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTop;
constexpr Qt::Alignment kBarCentred = Qt::AlignCenter;

constexpr FontStyle kWindowFont{};
constexpr FontStyle verdana(int pixels, bool bold = false, bool underline = false)
{
    return {FontFace::Verdana, pixels, bold, underline};
}
constexpr FontStyle standard(int pixels, bool bold = false)
{
    return {FontFace::Standard, pixels, bold, false};
}

// Point sizes as pixels at 96 dots per inch: 15.75 pt = 21 px, 12 pt = 16 px,
// 9.75 pt = 13 px, 8.25 pt = 11 px.
// clang-format off
constexpr std::array<LookStyle, 13> kLooks = {{
    // look              font                      text       back       alignment    wrap   border
    {L::Plain,           kWindowFont,              nullptr,   nullptr,   kLeft,       false, false},
    {L::HeaderArea,      kWindowFont,              nullptr,   "#FFFFFF", kLeft,       false, false},
    {L::HeaderTitle,     verdana(21, true),        "#000080", nullptr,   kCentred,    false, false},
    {L::HeaderSubTitle,  verdana(21),              "#404040", nullptr,   kCentred,    false, false},
    {L::HeaderVersion,   verdana(11, true),        "#404040", nullptr,   kCentred,    false, false},
    {L::HeaderNote,      verdana(11),              "#404040", nullptr,   kCentred,    true,  false},
    {L::WebLink,         verdana(16, false, true), "#0000FF", nullptr,   kCentred,    false, false},
    {L::PictureButton,   kWindowFont,              nullptr,   "#C0C0C0", kCentred,    false, false},
    {L::FrameCaption,    standard(11, true),       "#0000C0", nullptr,   kLeft,       false, false},
    {L::FieldCaption,    standard(11, true),       nullptr,   nullptr,   kRight,      false, false},
    {L::TextField,       standard(13),             nullptr,   nullptr,   kLeft,       false, false},
    {L::CardNote,        kWindowFont,              nullptr,   nullptr,   kLeft,       true,  false},
    {L::TipBar,          kWindowFont,              "#0000C0", "#FFFFC0", kBarCentred, false, true},
}};

// clang-format on

constexpr bool wholePixels(int twips)
{
    return twips % kTwipsPerPixel == 0;
}

constexpr bool holdsControls(ControlKind kind)
{
    return kind == ControlKind::PictureArea || kind == ControlKind::Frame;
}

constexpr bool takesFocus(ControlKind kind)
{
    return kind == ControlKind::PictureButton || kind == ControlKind::Button ||
           kind == ControlKind::TextField || kind == ControlKind::Choice ||
           kind == ControlKind::EditableChoice;
}

constexpr bool showsSetting(ControlKind kind)
{
    return kind == ControlKind::TextField || kind == ControlKind::Choice ||
           kind == ControlKind::EditableChoice;
}

template <std::size_t N>
constexpr std::size_t timesNamed(const std::array<const char*, N>& names, std::string_view name)
{
    std::size_t times = 0;
    for (const char* entry : names)
        times += name == entry ? 1 : 0;
    return times;
}

// The builder makes the window in one pass and hands out controls by row, so
// the table's own consistency is checked here, when it is compiled.

consteval bool namesAreUnique()
{
    for (std::size_t row = 0; row < kEditorControls.size(); ++row) {
        if (findControlRow(kEditorControls[row].name) != row)
            return false;
    }
    return true;
}
static_assert(namesAreUnique(), "two controls share a name");

consteval bool onWholePixels()
{
    for (const ControlRow& c : kEditorControls) {
        if (!wholePixels(c.left) || !wholePixels(c.top) || !wholePixels(c.width) ||
            !wholePixels(c.height))
            return false;
    }
    return wholePixels(kClientWidthTwips) && wholePixels(kClientHeightTwips);
}
static_assert(onWholePixels(), "a position or size falls between two pixels");

consteval bool containersComeFirst()
{
    for (std::size_t row = 0; row < kEditorControls.size(); ++row) {
        const char* parent = kEditorControls[row].parent;
        if (parent == nullptr)
            continue;
        const std::size_t parentRow = findControlRow(parent);
        if (parentRow >= row || !holdsControls(kEditorControls[parentRow].kind))
            return false;
    }
    return true;
}
static_assert(containersComeFirst(), "a control's container is not an earlier area or frame");

consteval bool tabOrderIsComplete()
{
    for (const char* name : kEditorTabOrder) {
        const std::size_t row = findControlRow(name);
        if (row == kNoRow || !takesFocus(kEditorControls[row].kind) ||
            timesNamed(kEditorTabOrder, name) != 1)
            return false;
    }
    for (const ControlRow& c : kEditorControls) {
        if (takesFocus(c.kind) && timesNamed(kEditorTabOrder, c.name) != 1)
            return false;
    }
    return true;
}
static_assert(tabOrderIsComplete(),
              "the tab order names a control that is missing or takes no focus, names one "
              "twice, or leaves one out");

consteval bool choicesHaveEntries()
{
    for (const ControlRow& c : kEditorControls) {
        if ((c.kind == ControlKind::Choice) != (c.entries != Entries::None))
            return false;
    }
    return true;
}
static_assert(choicesHaveEntries(), "a choice without entries, or entries on something else");

constexpr bool sameName(const char* a, const char* b)
{
    return a == b || (a && b && std::string_view(a) == b);
}

constexpr bool isFieldCaption(const ControlRow& c)
{
    return c.kind == ControlKind::Label && c.look == Look::FieldCaption;
}

constexpr bool controlShowsKind(FieldKind field, ControlKind control)
{
    switch (field) {
    case FieldKind::Text:
        return control == ControlKind::TextField;
    case FieldKind::Choice:
        return control == ControlKind::Choice;
    case FieldKind::EditableChoice:
        return control == ControlKind::EditableChoice;
    }
    return false;
}

namespace setting_checks {

consteval const SettingControl& entryOf(Field field)
{
    return kSettingControls[static_cast<std::size_t>(field)];
}

consteval bool hasControl(Field field)
{
    const SettingControl& entry = entryOf(field);
    return entry.field == field && entry.control && findControlRow(entry.control) != kNoRow &&
           showsSetting(kEditorControls[findControlRow(entry.control)].kind);
}

consteval const ControlRow& controlOf(Field field)
{
    return kEditorControls[findControlRow(entryOf(field).control)];
}

consteval bool shownAsItsKind(Field field)
{
    return hasControl(field) && controlShowsKind(settingRow(field).kind(), controlOf(field).kind);
}

// A screen reader names every setting by a caption beside it or by its
// frame. A caption is drawn as it is written: linked to its field, an '&' in
// it would become an access key and vanish from view, so none may hold one.
consteval bool hasCaption(Field field)
{
    const SettingControl& entry = entryOf(field);
    if (!hasControl(field) || !entry.caption || findControlRow(entry.caption) == kNoRow)
        return false;
    const ControlRow& control = controlOf(field);
    const ControlRow& caption = kEditorControls[findControlRow(entry.caption)];
    const bool besideIt = isFieldCaption(caption) && sameName(caption.parent, control.parent);
    const bool itsFrame =
        caption.kind == ControlKind::Frame && sameName(control.parent, caption.name);
    return (besideIt || itsFrame) &&
           std::string_view(caption.caption).find('&') == std::string_view::npos;
}

// Messages name a setting by the words the user sees beside it.
consteval bool captionIsTheSettingsOwn(Field field)
{
    if (!hasCaption(field))
        return false;
    const std::string_view shown = kEditorControls[findControlRow(entryOf(field).caption)].caption;
    const std::string_view own = settingRow(field).caption;
    return shown == own ||
           (shown.size() == own.size() + 1 && shown.starts_with(own) && shown.ends_with(':'));
}

consteval bool isDescribed(Field field)
{
    const SettingControl& entry = entryOf(field);
    if (!hasControl(field))
        return false;
    if (!entry.note)
        return controlOf(field).tip != nullptr;
    const std::size_t noteRow = findControlRow(entry.note);
    return noteRow != kNoRow && kEditorControls[noteRow].kind == ControlKind::Label &&
           sameName(kEditorControls[noteRow].parent, controlOf(field).parent);
}

} // namespace setting_checks

// A setting without its control gets that one complaint, not every other too.
template <Field F> struct SettingControlCheck
{
    static constexpr bool kHasControl = setting_checks::hasControl(F);
    static_assert(kHasControl, "a setting without a control");
    static_assert(!kHasControl || setting_checks::shownAsItsKind(F),
                  "a setting shown by a control of another kind");
    static_assert(!kHasControl || setting_checks::hasCaption(F),
                  "a setting without a caption beside it or in its frame, or with an '&' in it");
    static_assert(!kHasControl || setting_checks::captionIsTheSettingsOwn(F),
                  "a setting whose caption is not the one the file's table gives it");
    static_assert(!kHasControl || setting_checks::isDescribed(F),
                  "a setting without a tip or a note");
    static constexpr bool value = true;
};

template <std::size_t... I> consteval bool everySettingShown(std::index_sequence<I...>)
{
    return (SettingControlCheck<static_cast<Field>(I)>::value && ...);
}
static_assert(everySettingShown(std::make_index_sequence<kFieldCount>()));

// And the other way round: no field, choice or field caption that belongs to
// no setting, or to two.
consteval bool everyControlShowsOneSetting()
{
    std::array<const char*, kFieldCount> controls{};
    std::array<const char*, kFieldCount> captions{};
    for (std::size_t i = 0; i < kSettingControls.size(); ++i) {
        controls[i] = kSettingControls[i].control;
        captions[i] = kSettingControls[i].caption;
    }
    for (const ControlRow& c : kEditorControls) {
        if (showsSetting(c.kind) && timesNamed(controls, c.name) != 1)
            return false;
        if (isFieldCaption(c) && timesNamed(captions, c.name) != 1)
            return false;
    }
    return true;
}
static_assert(everyControlShowsOneSetting(),
              "a field, choice or field caption that shows no setting, or two");

consteval bool everyPictureIsNamed()
{
    std::array<const char*, kSpokenPictures.size()> named{};
    for (std::size_t i = 0; i < kSpokenPictures.size(); ++i) {
        const std::size_t row = findControlRow(kSpokenPictures[i].control);
        if (row == kNoRow || kEditorControls[row].kind != ControlKind::Image ||
            std::string_view(kSpokenPictures[i].name).empty())
            return false;
        named[i] = kSpokenPictures[i].control;
    }
    for (const ControlRow& c : kEditorControls) {
        if (c.kind == ControlKind::Image && timesNamed(named, c.name) != 1)
            return false;
    }
    return true;
}
static_assert(everyPictureIsNamed(), "a picture without a name, or named twice");

// The window icon takes each size from the first file that is large enough.
static_assert(std::is_sorted(kWindowIconFileSizes.begin(), kWindowIconFileSizes.end()),
              "the window icon's files are not listed from the smallest up");

constexpr bool looksAreInOrder()
{
    for (std::size_t i = 0; i < kLooks.size(); ++i) {
        if (static_cast<std::size_t>(kLooks[i].look) != i)
            return false;
    }
    return true;
}
static_assert(looksAreInOrder(), "the looks are not in the order of Look");

} // namespace

const LookStyle& lookStyle(Look look)
{
    return kLooks[static_cast<std::size_t>(look)];
}

std::array<const char*, 2> entryTexts(Entries entries)
{
    switch (entries) {
    case Entries::DhcpOrStatic:
        return {"Use DHCP Settings", "Static IP Settings"};
    case Entries::BasicOrFull:
        return {"BASIC (Recommended)", "FULL"};
    case Entries::NoOrYes:
        return {"No", "Yes"};
    case Entries::None:
        break;
    }
    return {nullptr, nullptr};
}

} // namespace useropts
