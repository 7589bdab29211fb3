#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

namespace useropts {

// Replaces the whole content of the file at path with bytes, or leaves it as
// it was, and keeps what belongs to the file: its owner, group and mode, its
// other hard links, and the link that path may be.
//
// The bytes first go to a new file beside it that takes the old one's place
// in one step, once every byte is on disk. Where that new file could not
// carry the old one's owner, group, mode or links, or the folder forbids
// it (a locked folder, another user's file in a sticky one), the file is
// rewritten in place instead: its old content is held in memory and put back
// on any failure. Pipes, devices and folders are refused untouched.
//
// A failure reads "cannot write <path>: <why>", with shownAs in place of the
// path where it is given.
Result<> writeWholeFile(const QString& path, const QByteArray& bytes, const QString& shownAs = {});

} // namespace useropts
