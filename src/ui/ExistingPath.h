#pragma once

#include <QString>

namespace useropts {

// The file dialogs offer paths in upper case. On a file system that tells
// letter case apart such a path names nothing, and the dialog would open
// somewhere else. This gives the path with each leading part that exists
// only in another letter case spelled the way it exists; the first part
// that does not exist at all, and everything after it, stay as given.
QString matchExistingPathIgnoringCase(const QString& path);

} // namespace useropts
