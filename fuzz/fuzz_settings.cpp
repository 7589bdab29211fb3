// SPDX-License-Identifier: GPL-3.0-or-later
// Any file read into the fields must write back, and that file must read
// back into the same fields: no input may make the editor save something it
// cannot open again. A save may refuse only what the boot would run as a
// command of its own (a line feed, which a read takes as an ordinary
// character) and a time-out beyond any number, naming its line.
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

#include <cstdint>
#include <cstdlib>

using namespace useropts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReadOptions options;
    options.random = [] { return 0.25; };

    EditorFields fields = defaultSettings();
    (void)readSettings(bytes, fields, options); // wherever it stopped, the fields are set

    const Result<QByteArray> written = writeSettings(fields);
    if (!written.ok()) {
        const int index = written.failure().line - kFirstDataLine;
        if (index < 0 || index >= kFieldCount)
            std::abort();
        const Field field = kSettings[std::size_t(index)].field;
        // A password is stored scrambled: a character of it may become one.
        if (!fields.text(field).contains(u'\n') && field != Field::Password &&
            field != Field::TimeOut)
            std::abort();
        return 0;
    }
    EditorFields again = defaultSettings();
    if (!readSettings(written.value(), again, options).ok())
        std::abort();
    // The card choice keeps only its code, and a KZ name comes back fresh.
    fields.text(Field::NetCard) = cardCode(fields.text(Field::NetCard));
    fields.text(Field::ComputerName) =
        applyComputerNameRule(fields.text(Field::ComputerName), options.random);
    if (!(again == fields))
        std::abort();
    return 0;
}
