// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "files/TemporaryFiles.h"
#include "floppy/ProcessRunner.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace useropts {

// A private folder in which mtools and fsck.fat see an image by the name
// "image" alone. mtools reads NAME@@OFFSET in an image's name as an offset
// into NAME, and hands a name holding $, `, *, ~ and the like to the shell to
// expand, so no name of the user's may ever reach it. The folder goes with
// this object, and with the program when a signal ends it: a copy in it
// holds the password.
class ImageFolder
{
  public:
    ImageFolder();
    ~ImageFolder();
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    // "image" becomes a link to the image at path, which the tools then
    // change where it lies.
    Result<> linkTo(const QString& path);
    // "image" becomes a private copy of an image's bytes.
    Result<> copyOf(const QByteArray& image);

    // The folder, where the tools run.
    QString path() const;
    // Where "image" is, for the program's own reading.
    QString imagePath() const;

  private:
    Result<> ready() const;

    QTemporaryDir m_dir;
    std::optional<TemporaryPath> m_dirOnSignal;
    std::optional<TemporaryPath> m_imageOnSignal;
};

// One mcopy run that writes bytes as the settings file into the image.
Result<> copySettingsIn(ProcessRunner& processes, const ImageFolder& folder,
                        const QByteArray& bytes);

// Gives the settings file exactly the read-only, hidden, system and archive
// attributes of attributes, with mattrib.
Result<> setSettingsAttributes(ProcessRunner& processes, const ImageFolder& folder,
                               quint8 attributes);

// fsck.fat -n on the image: a failure names what it finds and how to repair it.
Result<> checkFileSystem(ProcessRunner& processes, const ImageFolder& folder);

} // namespace useropts
