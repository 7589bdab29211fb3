#pragma once

#include <QString>

namespace useropts {

// "major.minor.patch" as the build defines it, for the version label and the
// application's own version information.
inline QString programVersion()
{
    return QStringLiteral("%1.%2.%3")
        .arg(USEROPTS_VERSION_MAJOR)
        .arg(USEROPTS_VERSION_MINOR)
        .arg(USEROPTS_VERSION_PATCH);
}

} // namespace useropts
