// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the editor's artwork: the header logo and the five command button
// pictures, each at one, two and three device pixels per pixel (NAME.png,
// NAME@2x.png, NAME@3x.png), and the window icon at the icon theme's sizes
// and as a scalable drawing (icons/useropts-editor-SIZE.png and .svg).
//
// The small pictures are pixel art: each is written below as rows of
// palette letters, so every pixel is placed by hand and nothing is left to
// a scaler or to antialiasing at 16 and 24 pixels. Their larger forms are
// enlarged from those rows by Scale2x and Scale3x, which keep every edge hard
// and the palette as it is and only round off the stairs of a diagonal. The
// disks of the window icon and the logo are drawn from proportions instead,
// so they are drawn afresh at each size.
//
// Usage: drawartwork OUTPUT_DIRECTORY

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

namespace {

// One palette for every picture, so the set looks like one family.
constexpr QRgb kDiskOutline = 0xFF141E48;
constexpr QRgb kDiskBlue = 0xFF1F2F6B;
constexpr QRgb kDiskHighlight = 0xFF3B4E96;
constexpr QRgb kShutter = 0xFFD6DAE2;
constexpr QRgb kShutterShade = 0xFF9098A8;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kLabelLine = 0xFFC8CCD6;
constexpr QRgb kInk = 0xFF202020;
constexpr QRgb kPaperShade = 0xFFEEEEEE;
constexpr QRgb kLightGrey = 0xFFDCDCDC;
constexpr QRgb kMidGrey = 0xFFA8A8A8;
constexpr QRgb kDarkGrey = 0xFF707070;
constexpr QRgb kFolderOutline = 0xFF8C6212;
constexpr QRgb kFolderBack = 0xFFD9A21E;
constexpr QRgb kFolder = 0xFFF5C542;
constexpr QRgb kFolderLight = 0xFFFFE38A;
constexpr QRgb kLamp = 0xFF3CB043;
constexpr QRgb kClear = 0x00000000;

struct Swatch
{
    char key;
    QRgb colour;
};

// The letters that the pixel rows below are written in.
// clang-format off
constexpr std::array kPalette{
    Swatch{'.', kClear},
    Swatch{'n', kDiskOutline},
    Swatch{'B', kDiskBlue},
    Swatch{'b', kDiskHighlight},
    Swatch{'S', kShutter},
    Swatch{'s', kShutterShade},
    Swatch{'W', kWhite},
    Swatch{'L', kLabelLine},
    Swatch{'k', kInk},
    Swatch{'l', kPaperShade},
    Swatch{'g', kLightGrey},
    Swatch{'G', kMidGrey},
    Swatch{'D', kDarkGrey},
    Swatch{'O', kFolderOutline},
    Swatch{'y', kFolderBack},
    Swatch{'Y', kFolder},
    Swatch{'H', kFolderLight},
    Swatch{'e', kLamp},
};
// clang-format on

[[noreturn]] void fail(const QString& message)
{
    QTextStream(stderr) << "drawartwork: " << message << '\n';
    std::exit(1);
}

int paletteIndex(char key)
{
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        if (kPalette[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

// A picture as palette indexes, row after row.
struct Grid
{
    int width = 0;
    int height = 0;
    std::vector<int> index;

    int at(int x, int y) const { return index[static_cast<std::size_t>(y * width + x)]; }
};

Grid fromRows(const char* name, std::span<const std::string_view> rows, int width, int height)
{
    if (static_cast<int>(rows.size()) != height)
        fail(QStringLiteral("%1 has %2 rows, expected %3").arg(name).arg(rows.size()).arg(height));

    Grid grid{width, height, {}};
    for (int y = 0; y < height; ++y) {
        const std::string_view row = rows[static_cast<std::size_t>(y)];
        if (static_cast<int>(row.size()) != width)
            fail(QStringLiteral("%1 row %2 is %3 wide, expected %4")
                     .arg(name)
                     .arg(y)
                     .arg(row.size())
                     .arg(width));
        for (int x = 0; x < width; ++x) {
            const int index = paletteIndex(row[static_cast<std::size_t>(x)]);
            if (index < 0)
                fail(QStringLiteral("%1 row %2 has an unknown colour letter").arg(name).arg(y));
            grid.index.push_back(index);
        }
    }
    return grid;
}

// Scale2x (factor 2) and Scale3x (factor 3): each pixel becomes a block of
// its own colour, except that a corner of the block takes a neighbour's
// colour where two neighbours of one colour meet there across a diagonal.
// Outside the picture counts as the pixel itself.
Grid enlarge(const Grid& grid, int factor)
{
    if (factor == 1)
        return grid;
    Grid out{
        grid.width * factor, grid.height * factor,
        std::vector<int>(static_cast<std::size_t>(grid.width * grid.height * factor * factor))};
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const int e = grid.at(x, y);
            const auto near = [&](int dx, int dy) {
                const int nx = x + dx;
                const int ny = y + dy;
                return nx < 0 || ny < 0 || nx >= grid.width || ny >= grid.height ? e
                                                                                 : grid.at(nx, ny);
            };
            // A B C
            // D E F
            // G H I
            const int a = near(-1, -1), b = near(0, -1), c = near(1, -1);
            const int d = near(-1, 0), f = near(1, 0);
            const int g = near(-1, 1), h = near(0, 1), i = near(1, 1);
            const bool upLeft = d == b && b != f && d != h;
            const bool upRight = b == f && b != d && f != h;
            const bool downLeft = d == h && d != b && h != f;
            const bool downRight = h == f && d != h && b != f;
            std::array<int, 9> block{};
            if (factor == 2) {
                block = {upLeft ? d : e, upRight ? f : e, downLeft ? d : e, downRight ? f : e};
            } else {
                block = {upLeft ? d : e,
                         (upLeft && e != c) || (upRight && e != a) ? b : e,
                         upRight ? f : e,
                         (upLeft && e != g) || (downLeft && e != a) ? d : e,
                         e,
                         (upRight && e != i) || (downRight && e != c) ? f : e,
                         downLeft ? d : e,
                         (downLeft && e != i) || (downRight && e != g) ? h : e,
                         downRight ? f : e};
            }
            for (int by = 0; by < factor; ++by) {
                for (int bx = 0; bx < factor; ++bx) {
                    out.index[static_cast<std::size_t>((y * factor + by) * out.width + x * factor +
                                                       bx)] =
                        block[static_cast<std::size_t>(by * factor + bx)];
                }
            }
        }
    }
    return out;
}

// The button pictures keep a 256-colour palette; everything else is true
// colour.
QImage toImage(const Grid& grid, bool indexed)
{
    QImage image(grid.width, grid.height,
                 indexed ? QImage::Format_Indexed8 : QImage::Format_ARGB32);
    if (indexed) {
        QList<QRgb> table;
        for (const Swatch& swatch : kPalette)
            table.append(swatch.colour);
        image.setColorTable(table);
    }
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const int index = grid.at(x, y);
            if (indexed)
                image.setPixel(x, y, static_cast<uint>(index));
            else
                image.setPixel(x, y, kPalette[static_cast<std::size_t>(index)].colour);
        }
    }
    return image;
}

// clang-format off
constexpr std::array<std::string_view, 16> kFloppy16{
    "nnnnnnnnnnnnnn..",
    "nbbbSSSSSSSSbbn.",
    "nbBBSSSSSnnsBBBn",
    "nbBBSSSSSnnsBBBn",
    "nbBBSSSSSnnsBBBn",
    "nbBBssssssssBBBn",
    "nbBBBBBBBBBBBBBn",
    "nbBBBBBBBBBBBBBn",
    "nbBWWWWWWWWWWBBn",
    "nbBWWWWWWWWWWBBn",
    "nbBWLLLLLLLLWBBn",
    "nbBWWWWWWWWWWBBn",
    "nbBWLLLLLLLLWBBn",
    "nbBWWWWWWWWWWBBn",
    "nbBWWWWWWWWWWBBn",
    "nnnnnnnnnnnnnnnn",
};

constexpr std::array<std::string_view, 23> kNew{
    "........................",
    "....kkkkkkkkkk..........",
    "....kWWWWWWWWkk.........",
    "....kWWWWWWWWkgk........",
    "....kWWWWWWWWkggk.......",
    "....kWWWWWWWWkgggk......",
    "....kWWWWWWWWkkkkkk.....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....kWWWWWWWWWWWWlkD....",
    "....klllllllllllllkD....",
    "....kkkkkkkkkkkkkkkD....",
    ".....DDDDDDDDDDDDDDD....",
};

constexpr std::array<std::string_view, 23> kOpen{
    "...................B....",
    "...................BB...",
    "...................BBB..",
    "..............BBBBBBBBB.",
    "............BBBBBBBBBBB.",
    "...........BBB.....BBB..",
    "..........BBB......BB...",
    ".OOOOO....BB.......B....",
    "OHHHHHO...BB............",
    "OyyyyyyOOOBBOOOOO.......",
    "OyyyyyyyyyBByyyyO.......",
    "OyyyyyyyyyBByyyyO.......",
    "OyyyOOOOOOOOOOOOOOOOOOO.",
    "OyyyOHHHHHHHHHHHHHHHHHO.",
    "OyyOYYYYYYYYYYYYYYYYYO..",
    "OyyOYYYYYYYYYYYYYYYYYO..",
    "OyOYYYYYYYYYYYYYYYYYO...",
    "OyOYYYYYYYYYYYYYYYYYO...",
    "OOYYYYYYYYYYYYYYYYYO....",
    "OOYYYYYYYYYYYYYYYYYO....",
    "OYYYYYYYYYYYYYYYYYO.....",
    "OOOOOOOOOOOOOOOOOOO.....",
    "........................",
};

constexpr std::array<std::string_view, 23> kSave{
    "........................",
    "........................",
    "..nnnnnnnnnnnnnnnnn.....",
    "..nbbbbSSSSSSSSSSbbn....",
    "..nbBBBSSSSSSnnSsBBBn...",
    "..nbBBBSSSSSSnnSsBBBBn..",
    "..nbBBBSSSSSSnnSsBBBBn..",
    "..nbBBBSSSSSSnnSsBBBBn..",
    "..nbBBBSSSSSSnnSsBBBBn..",
    "..nbBBBssssssssssBBBBn..",
    "..nbBBBBBBBBBBBBBBBBBn..",
    "..nbBBBBBBBBBBBBBBBBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nbBWLLLLLLLLLLLLWBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nbBWLLLLLLLLLLLLWBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nbBWLLLLLLLLLLLLWBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nbBWWWWWWWWWWWWWWBBn..",
    "..nnnnnnnnnnnnnnnnnnnn..",
    "........................",
};

constexpr std::array<std::string_view, 23> kPrint{
    "........................",
    "......kkkkkkkkkkkk......",
    "......kWWWWWWWWWWk......",
    "......kWLLLLLLLLWk......",
    "......kWWWWWWWWWWk......",
    "......kWLLLLLLWWWk......",
    "......kWWWWWWWWWWk......",
    "...kkkkDDDDDDDDDDkkkk...",
    "..kWWWWWWWWWWWWWWWWWWk..",
    "..kgggggggggggggggggGk..",
    "..kggggggggggggggeegGk..",
    "..kGGGGGGGGGGGGGGGGGGk..",
    "..kGGkkkkkkkkkkkkkkGGk..",
    "..kGGGkWWWWWWWWWWkGGGk..",
    "..kDDDkWWWWWWWWWWkDDDk..",
    "...kkkkWLLLLLLLLWkkkk...",
    "......kWWWWWWWWWWk......",
    "......kWLLLLLLLLWk......",
    "......kWWWWWWWWWWk......",
    "......kWLLLLLWWWWk......",
    "......kWWWWWWWWWWk......",
    "......kkkkkkkkkkkk......",
    "........................",
};

constexpr std::array<std::string_view, 16> kQuit{
    "................",
    "................",
    ".OOOOO..........",
    "OHHHHHO.........",
    "OHHHHHHOOOOOOOOO",
    "OHHHBHHHHHHHHHHO",
    "OYYBBYYYYYYYYYYO",
    "OYBBBBBBBBBYYYYO",
    "OYBBBBBBBBBBYYYO",
    "OYYBBYYYYYBBYYYO",
    "OYYYBYYYYYBBYYYO",
    "OYYYYYYYYYBBYYYO",
    "OYYYYYYYYYBBYYYO",
    "OYYYYYYYYYBBYYYO",
    "OyyyyyyyyyyyyyyO",
    "OOOOOOOOOOOOOOOO",
};
// clang-format on

struct Box
{
    QRect rect;
    QRgb colour;
};

// The disk drawn from proportions, for the sizes where hand-placed pixels
// would be a chore: its body, a square with the top right corner cut off and
// a lit edge at the top and left, and what lies on it. Everything snaps to
// whole pixels. The outline grows with the disk, one pixel for every 32.
struct Floppy
{
    int size = 0;
    int edge = 0;
    int chamfer = 0;
    std::vector<Box> parts; // in painting order
};

Floppy planFloppy(int size)
{
    Floppy disk{size, std::max(1, size / 32), size / 8, {}};
    const int edge = disk.edge;
    const auto scaled = [size](double fraction) {
        return static_cast<int>(std::lround(fraction * size));
    };
    const auto box = [&disk](int left, int top, int right, int bottom, QRgb colour) {
        disk.parts.push_back({QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), colour});
    };

    // Shutter with its window onto the disk.
    const int shutterLeft = scaled(0.25);
    const int shutterRight = scaled(0.75);
    const int shutterBottom = scaled(0.38);
    box(shutterLeft, edge, shutterRight, shutterBottom, kShutter);
    box(shutterLeft, shutterBottom - edge, shutterRight, shutterBottom, kShutterShade);
    box(shutterRight - edge, edge, shutterRight, shutterBottom, kShutterShade);
    box(shutterLeft, edge, shutterLeft + edge, shutterBottom - edge, kWhite);
    box(scaled(0.56), scaled(0.09), scaled(0.69), scaled(0.30), kDiskOutline);

    // Label with ruled lines, reaching down to the bottom edge.
    const int labelLeft = scaled(0.16);
    const int labelRight = size - scaled(0.16);
    const int labelTop = scaled(0.5);
    box(labelLeft, labelTop, labelRight, size - edge, kWhite);
    const int pitch = size >= 64 ? size * 6 / 64 : 4;
    const int rule = std::max(1, size / 64);
    for (int y = labelTop + pitch; y < size - edge - pitch / 2; y += pitch)
        box(labelLeft + 2 * edge, y, labelRight - 2 * edge, y + rule, kLabelLine);

    // Write-protect and density holes in the bottom corners.
    const int hole = 2 * edge;
    const int holeTop = size - edge - 2 * edge - hole;
    box(edge + edge, holeTop, edge + edge + hole, holeTop + hole, kDiskOutline);
    box(size - 2 * edge - hole, holeTop, size - 2 * edge, holeTop + hole, kDiskOutline);
    return disk;
}

QImage drawFloppy(int size)
{
    const Floppy disk = planFloppy(size);
    const int edge = disk.edge;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(kClear);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int diagonal = x - y - (size - 1 - disk.chamfer);
            if (diagonal > 0)
                continue;
            const bool onEdge =
                x < edge || y < edge || x >= size - edge || y >= size - edge || diagonal > -edge;
            const bool lit = x < 2 * edge || y < 2 * edge;
            image.setPixel(x, y, onEdge ? kDiskOutline : (lit ? kDiskHighlight : kDiskBlue));
        }
    }
    QPainter painter(&image);
    for (const Box& part : disk.parts)
        painter.fillRect(part.rect, QColor(part.colour));
    return image;
}

// The same disk as a scalable drawing, on the grid of the 64-pixel one; the
// cut corner is a true diagonal here rather than a stair of pixels.
QByteArray floppySvg()
{
    const Floppy disk = planFloppy(64);
    const int s = disk.size;
    const int e = disk.edge;
    const int c = disk.chamfer;
    const auto colour = [](QRgb rgb) { return QColor(rgb).name().toLatin1(); };
    const auto polygon = [&](std::initializer_list<QPoint> points, QRgb rgb) {
        QByteArray list;
        for (const QPoint& p : points)
            list += QByteArray::number(p.x()) + ',' + QByteArray::number(p.y()) + ' ';
        return "  <polygon points=\"" + list.trimmed() + "\" fill=\"" + colour(rgb) + "\"/>\n";
    };
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + QByteArray::number(s) +
                     "\" height=\"" + QByteArray::number(s) + "\" viewBox=\"0 0 " +
                     QByteArray::number(s) + ' ' + QByteArray::number(s) + "\">\n";
    svg += polygon({{0, 0}, {s - c, 0}, {s, c}, {s, s}, {0, s}}, kDiskOutline);
    svg += polygon({{e, e}, {s - c, e}, {s - e, c}, {s - e, s - e}, {e, s - e}}, kDiskHighlight);
    svg += polygon({{2 * e, 2 * e}, {s - c + e, 2 * e}, {s - e, c}, {s - e, s - e}, {2 * e, s - e}},
                   kDiskBlue);
    for (const Box& part : disk.parts) {
        const QRect& r = part.rect;
        svg += "  <rect x=\"" + QByteArray::number(r.x()) + "\" y=\"" + QByteArray::number(r.y()) +
               "\" width=\"" + QByteArray::number(r.width()) + "\" height=\"" +
               QByteArray::number(r.height()) + "\" fill=\"" + colour(part.colour) + "\"/>\n";
    }
    return svg + "</svg>\n";
}

QPainterPath shield(double left, double top, double right, double shoulder, double tip,
                    double radius)
{
    const double middle = (left + right) / 2;
    QPainterPath path;
    path.moveTo(left + radius, top);
    path.lineTo(right - radius, top);
    path.quadTo(right, top, right, top + radius);
    path.lineTo(right, shoulder);
    path.cubicTo(right, shoulder + (tip - shoulder) * 0.55, middle + (right - middle) * 0.45,
                 tip - (tip - shoulder) * 0.12, middle, tip);
    path.cubicTo(middle - (right - middle) * 0.45, tip - (tip - shoulder) * 0.12, left,
                 shoulder + (tip - shoulder) * 0.55, left, shoulder);
    path.lineTo(left, top + radius);
    path.quadTo(left, top, left + radius, top);
    path.closeSubpath();
    return path;
}

// The header logo: a dark-blue shield on white, a small disk and the
// product's initials in white; scale device pixels to each of its 130 x 135.
QImage drawLogo(int scale)
{
    QImage image(130 * scale, 135 * scale, QImage::Format_RGB32);
    image.fill(kWhite);

    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kDiskBlue));
    painter.drawPath(shield(10, 5, 120, 76, 130, 10));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(kWhite), 2));
    painter.drawPath(shield(17, 12, 113, 76, 121, 6));

    // A small white disk, on whole pixels at every scale so its edges stay
    // crisp.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    const QRect disk(51, 22, 28, 28);
    painter.setBrush(QColor(kWhite));
    painter.drawPolygon(
        QPolygon({disk.topLeft(), QPoint(disk.right() - 4, disk.top()),
                  QPoint(disk.right(), disk.top() + 4), disk.bottomRight(), disk.bottomLeft()}));
    painter.fillRect(QRect(disk.left() + 7, disk.top(), 14, 10), QColor(kDiskBlue));
    painter.fillRect(QRect(disk.left() + 16, disk.top() + 2, 3, 6), QColor(kWhite));
    painter.fillRect(QRect(disk.left() + 4, disk.top() + 14, 20, 14), QColor(kDiskBlue));
    painter.fillRect(QRect(disk.left() + 6, disk.top() + 16, 16, 12), QColor(kWhite));

    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(36);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    painter.setFont(font);
    painter.setPen(QColor(kWhite));
    painter.drawText(QRect(10, 56, 110, 44), Qt::AlignCenter, QStringLiteral("CSF"));
    return image;
}

void save(const QImage& image, const QDir& directory, const QString& name)
{
    const QString path = directory.filePath(name);
    if (!image.save(path, "PNG"))
        fail(QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(path)));
    QTextStream(stdout) << QDir::toNativeSeparators(path) << '\n';
}

void save(const QByteArray& text, const QDir& directory, const QString& name)
{
    const QString path = directory.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        fail(QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(path)));
    QTextStream(stdout) << QDir::toNativeSeparators(path) << '\n';
}

// NAME.png at scale 1, NAME@2x.png and NAME@3x.png above it: the names Qt
// looks for beside a picture on a screen of that pixel ratio.
QString atScale(const char* name, int scale)
{
    return scale == 1 ? QStringLiteral("%1.png").arg(name)
                      : QStringLiteral("%1@%2x.png").arg(name).arg(scale);
}

} // namespace

int main(int argc, char* argv[])
{
    // Only fonts are needed from the window system, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        fail(QStringLiteral("usage: drawartwork OUTPUT_DIRECTORY"));
    const QDir directory(arguments.at(1));
    if (!directory.exists())
        fail(QStringLiteral("%1 is not a directory").arg(arguments.at(1)));
    if (!directory.mkpath(QStringLiteral("icons")))
        fail(QStringLiteral("cannot make the icons directory in %1").arg(arguments.at(1)));
    const QDir icons(directory.filePath(QStringLiteral("icons")));

    struct PixelArt
    {
        const char* name;
        std::span<const std::string_view> rows;
        int width;
        int height;
        bool indexed;
    };
    const std::array<PixelArt, 5> buttons{{
        {"new", kNew, 24, 23, true},
        {"open", kOpen, 24, 23, true},
        {"save", kSave, 24, 23, true},
        {"print", kPrint, 24, 23, true},
        {"quit", kQuit, 16, 16, false},
    }};
    for (int scale = 1; scale <= 3; ++scale) {
        save(drawLogo(scale), directory, atScale("logo", scale));
        for (const PixelArt& art : buttons) {
            const Grid grid = fromRows(art.name, art.rows, art.width, art.height);
            save(toImage(enlarge(grid, scale), art.indexed), directory, atScale(art.name, scale));
        }
    }

    // The window icon at the sizes of the desktop's icon theme: the smallest
    // placed by hand, the others drawn to size.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon = size == 16 ? toImage(fromRows("floppy-16", kFloppy16, 16, 16), false)
                                       : drawFloppy(size);
        save(icon, icons, QStringLiteral("useropts-editor-%1.png").arg(size));
    }
    save(floppySvg(), icons, QStringLiteral("useropts-editor.svg"));
    return 0;
}
