// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorArtwork.h"

#include "ui/EditorLayout.h"

#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace useropts {

namespace {

// Each picture is drawn at one, two and three device pixels to the pixel;
// a screen gets the next one up from its own ratio.
int artworkScale(qreal devicePixelRatio)
{
    return std::clamp(static_cast<int>(std::ceil(devicePixelRatio - 0.01)), 1, 3);
}

} // namespace

// Our artwork is PNG. Naming the format, and no other, keeps Qt from loading
// every image plugin to ask whether it reads the file. Null if it is missing.
QImage readPng(const QString& path)
{
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The picture at path (the name of its one-to-one form) for a screen of the
// given ratio, reading only the one form that suits it. Between two scales
// it is shrunk once here, smoothly, to the screen's own pixels: drawn as it
// is, the painter would shrink it at every paint and unevenly. Its size in
// pixels is that of the one-to-one form either way.
QPixmap artwork(const char* path, qreal devicePixelRatio)
{
    const int scale = artworkScale(devicePixelRatio);
    QString file = QString::fromLatin1(path);
    if (scale > 1)
        file.insert(file.lastIndexOf(u'.'), QStringLiteral("@%1x").arg(scale));
    QImage image = readPng(file);
    if (image.isNull())
        return {};
    if (!qFuzzyCompare(devicePixelRatio, qreal(scale))) {
        // Smooth scaling blends colours, which a picture with a palette has
        // no room for (and Qt 6.4 crashes trying).
        const QSizeF pixels = QSizeF(image.size() / scale) * devicePixelRatio;
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                    .scaled(pixels.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(std::move(image));
}

// Each size once, in the screen's pixels, and no others: the window system is
// handed every size the icon holds, in full, when the window first shows.
QIcon windowIcon(qreal devicePixelRatio)
{
    const int scale = artworkScale(devicePixelRatio);
    QIcon icon;
    for (const int size : kWindowIconSizes) {
        const auto file = std::find_if(kWindowIconFileSizes.begin(), kWindowIconFileSizes.end() - 1,
                                       [&](int fileSize) { return fileSize >= size * scale; });
        const QImage picture = readPng(QString::fromLatin1(kWindowIconFile).arg(*file));
        if (!picture.isNull())
            icon.addPixmap(QPixmap::fromImage(picture));
    }
    return icon;
}

} // namespace useropts
