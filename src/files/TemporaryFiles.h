// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace useropts {

// A file or folder that exists only while something is being written: a
// working copy of a floppy image, a new file beside the one it will replace.
// Such copies hold the password, so a program stopped by Ctrl-C, kill or a
// closed terminal (SIGINT, SIGTERM, SIGHUP) must not leave them behind.
//
// While a TemporaryPath lives, its path is removed if one of those signals
// ends the program; the object itself removes nothing. Register a folder
// before the files in it: on a signal the newest paths go first.
class TemporaryPath
{
  public:
    explicit TemporaryPath(const QString& path);
    ~TemporaryPath();
    TemporaryPath(const TemporaryPath&) = delete;
    TemporaryPath& operator=(const TemporaryPath&) = delete;

  private:
    int m_slot;
};

// Installs the handlers that remove the registered paths and then end the
// program as the signal would have. Both programs call it once at start-up.
// Files are removed before folders, so a folder registered with its files
// goes too.
void removeTemporariesOnSignals();

// How many new files a bulk update may hold beside the files they replace
// at once, each a TemporaryPath until it is in place.
inline constexpr int kMostPendingReplacements = 200;

} // namespace useropts
