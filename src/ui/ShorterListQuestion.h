// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cards/CardFile.h"

#include <QByteArray>

class QWidget;

namespace useropts {

class PlatformServices;

// Whether a downloaded list may replace the user's: always, unless it holds
// fewer than half the entries of the list it would replace, which a notice
// from a proxy or a login page would; then only when the user says Yes to a
// question with both counts, No being the default.
bool replacesShorterList(PlatformServices& platform, QWidget* window, const CardPlaces& places,
                         const QByteArray& body);

} // namespace useropts
