// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "files/WholeFileWriter.h"
#include "floppy/ProcessRunner.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace useropts {

// The name of the settings file in a floppy image's root folder: the 8.3 name
// DOS opens, whatever the letter case of its directory entry.
inline constexpr char kSettingsFileInImage[] = "USEROPTS.BAT";

// Whether a file that starts with bootSector and is fileSize bytes long
// holds a FAT file system: the boot sector's signature and a sane BIOS
// parameter block. A FAT boot sector in a file too short for the file
// system it describes is a failure: the image has been cut short.
Result<bool> holdsFatFileSystem(QByteArrayView bootSector, qint64 fileSize);

// The same for the file at path. A file named like a floppy image (.img,
// .ima, .vfd, .flp) that holds no FAT file system is a failure too, rather
// than a settings file that fails on its first line.
Result<bool> isFloppyImage(const QString& path);

// The same for a file that has been opened already: its first bytes (at
// least its first 512, or all of a shorter file) and its size.
Result<bool> isFloppyImage(const QString& path, QByteArrayView firstBytes, qint64 size);

// Whether the name ends in one of the suffixes of floppy images (.img,
// .ima, .vfd, .flp), whatever the file holds.
bool namedLikeFloppyImage(const QString& path);

// How the settings file inside an image is named to the user:
// "/srv/boot/site.img (USEROPTS.BAT)".
QString settingsFileInImage(const QString& image);

// The settings file in the image's root folder, the entry DOS opens, read
// from the image's bytes as DOS reads it, along its cluster chain: no
// program is started. Where mtools, which writes it, could take another
// entry for it (a long name USEROPTS.BAT on another file, two entries that
// answer to the name) or the name is a folder's, that is a failure that
// says so.
Result<QByteArray> readSettingsFromImage(ProcessRunner& processes, const QString& image);

// Whether the image's root folder holds a settings file; the same failures.
Result<bool> imageHoldsSettings(ProcessRunner& processes, const QString& image);

// Whether the image's file system is sound, as fsck.fat -n finds it; the
// failure names the damage and how to repair it. A program that writes many
// copies of one image checks it once here.
Result<> checkImageFileSystem(ProcessRunner& processes, const QString& image);

// Writes bytes as the settings file in the image's root folder, replacing
// the one there, with its DOS attributes kept, or creating it. mtools works
// on a new image made beside the old one from its bytes, holes and all,
// which then replaces the image as any saved file does; inside it only the
// file's clusters, its entry and the allocation tables change. An image
// whose file system is damaged is never written. On a failure the image
// stays byte for byte as it was.
Result<> writeSettingsIntoImage(ProcessRunner& processes, const QString& image,
                                const QByteArray& bytes);

// writeSettingsIntoImage up to the new image, written and checked beside
// the old one, which its commit() replaces: many images can then be brought
// to disk together. Nothing, and nothing written, where no new file could
// replace the image (a second hard link, another user's image) and only
// writeSettingsIntoImage, rewriting it in place, can write it.
Result<std::unique_ptr<FileReplacement>>
prepareSettingsInImage(ProcessRunner& processes, const QString& image, const QByteArray& bytes);

// The same for an image that nobody else has yet, such as one just made from
// a template, whose file system the caller has checked: written in place,
// attributes kept, and nothing read back. On a failure the image may be
// damaged and is the caller's to discard.
Result<> writeSettingsIntoFreshImage(ProcessRunner& processes, const QString& image,
                                     const QByteArray& bytes);

} // namespace useropts
