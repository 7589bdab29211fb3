// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/AddressForms.h"

namespace useropts {

QString RawIP(const QString& shown)
{
    QString stored = shown;
    stored.replace(u'.', u' ');
    return stored;
}

QString NiceIP(const QString& stored)
{
    QString shown = stored;
    shown.replace(u' ', u'.');
    return shown;
}

} // namespace useropts
