// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "files/WholeFileWriter.h"
#include "floppy/ProcessRunner.h"
#include "settings/EditorFields.h"
#include "settings/SettingsReader.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace useropts {

// Where a settings file lies: a USEROPTS.BAT of its own, or the one inside a
// floppy image. The window and the command open and save through here.
struct SettingsPlace
{
    QString path;
    bool image = false;
};

// Which of the two path is, told by its content; a failure says why it can
// be neither ("it is named like a floppy image but is empty").
Result<SettingsPlace> settingsPlace(const QString& path);

// What opening a settings file gave.
struct OpenedSettings
{
    SettingsPlace place;
    QByteArray bytes;     // of the file, or of the one in the image, as far as they were read
    bool whole = false;   // bytes hold the file to its end, as they do from an image
    int settingsRead = 0; // from line 4 on, in the order of the lines
    // Why not every setting could be read: the file itself (line 0: "it does
    // not exist") or one of its lines (line 13: "the time-out on line 13 ...").
    // A file that could not be read is the cause, whatever its lines lack.
    std::optional<Failure> failure;
};

// Reads the settings file at path into fields, as the window's Open and the
// command alike do: one open of the file tells a plain file from a floppy
// image by its content and reads a plain one, only as far as its last
// setting's line (the rest, however large, is never read). Each field is set
// as soon as its line is read, and the fields of lines not read keep what
// they held.
OpenedSettings openSettings(ProcessRunner& processes, const QString& path, EditorFields& fields,
                            const ReadOptions& options = {});

// The whole settings file, its lines after the last setting's included, for
// an edit that keeps every byte it does not change.
Result<QByteArray> readWholeSettingsFile(ProcessRunner& processes, const SettingsPlace& place);

// Replaces the file, or the one in the image, whole or not at all.
Result<> writeSettingsBytes(ProcessRunner& processes, const SettingsPlace& place,
                            const QByteArray& bytes);

// writeSettingsBytes up to the new file, or the new image, checked and
// waiting beside the old one for its commit(), for many files brought to
// disk together. Nothing, and nothing written, where only a rewrite in
// place can replace the file: writeSettingsBytes does that.
Result<std::unique_ptr<FileReplacement>>
prepareSettingsBytes(ProcessRunner& processes, const SettingsPlace& place, const QByteArray& bytes);

} // namespace useropts
