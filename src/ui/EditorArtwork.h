// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace useropts {

// Our artwork is PNG; null if it is missing.
QImage readPng(const QString& path);

// The picture at path (the name of its one-to-one form) for a screen of the
// given ratio; null if it is missing.
QPixmap artwork(const char* path, qreal devicePixelRatio);

// The window icon for a screen of the given ratio.
QIcon windowIcon(qreal devicePixelRatio);

} // namespace useropts
