// Draws the editor's artwork: the window icon in three sizes, the header
// logo and the five command button pictures.
//
// The small pictures are pixel art: each is written below as rows of
// palette letters, so every pixel is placed by hand and nothing is left to
// a scaler or to antialiasing at 16 and 24 pixels. The larger disks and the
// logo are drawn from proportions instead.
//
// Usage: drawartwork OUTPUT_DIRECTORY

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <array>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string_view>

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

// Turns rows of palette letters into a picture. The button pictures keep a
// 256-colour palette; everything else is true colour.
QImage fromRows(const char* name, std::span<const std::string_view> rows, int width, int height,
                bool indexed)
{
    if (static_cast<int>(rows.size()) != height)
        fail(QStringLiteral("%1 has %2 rows, expected %3").arg(name).arg(rows.size()).arg(height));

    QImage image(width, height, indexed ? QImage::Format_Indexed8 : QImage::Format_ARGB32);
    if (indexed) {
        QList<QRgb> table;
        for (const Swatch& swatch : kPalette)
            table.append(swatch.colour);
        image.setColorTable(table);
    }
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

// The disk drawn from proportions, for the sizes where hand-placed pixels
// would be a chore. Everything snaps to whole pixels.
QImage drawFloppy(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(kClear);

    const int edge = size >= 64 ? 2 : 1;
    const int chamfer = size / 8;
    const auto scaled = [size](double fraction) {
        return static_cast<int>(std::lround(fraction * size));
    };

    // Body: a square with the top right corner cut off.
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int diagonal = x - y - (size - 1 - chamfer);
            if (diagonal > 0)
                continue;
            const bool onEdge =
                x < edge || y < edge || x >= size - edge || y >= size - edge || diagonal > -edge;
            const bool lit = x < 2 * edge || y < 2 * edge;
            image.setPixel(x, y, onEdge ? kDiskOutline : (lit ? kDiskHighlight : kDiskBlue));
        }
    }

    QPainter painter(&image);
    const auto box = [&painter](int left, int top, int right, int bottom, QRgb colour) {
        painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QColor(colour));
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
    const int pitch = size >= 64 ? 6 : 4;
    for (int y = labelTop + pitch; y < size - edge - pitch / 2; y += pitch)
        box(labelLeft + 2 * edge, y, labelRight - 2 * edge, y + 1, kLabelLine);

    // Write-protect and density holes in the bottom corners.
    const int hole = 2 * edge;
    const int holeTop = size - edge - 2 * edge - hole;
    box(edge + edge, holeTop, edge + edge + hole, holeTop + hole, kDiskOutline);
    box(size - 2 * edge - hole, holeTop, size - 2 * edge, holeTop + hole, kDiskOutline);
    return image;
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
// product's initials in white.
QImage drawLogo()
{
    QImage image(130, 135, QImage::Format_RGB32);
    image.fill(kWhite);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kDiskBlue));
    painter.drawPath(shield(10, 5, 120, 76, 130, 10));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(kWhite), 2));
    painter.drawPath(shield(17, 12, 113, 76, 121, 6));

    // A small white disk, pixel-aligned so its edges stay crisp.
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

    save(fromRows("floppy-16", kFloppy16, 16, 16, false), directory, "floppy-16.png");
    save(drawFloppy(32), directory, "floppy-32.png");
    save(drawFloppy(64), directory, "floppy-64.png");
    save(drawLogo(), directory, "logo.png");
    save(fromRows("new", kNew, 24, 23, true), directory, "new.png");
    save(fromRows("open", kOpen, 24, 23, true), directory, "open.png");
    save(fromRows("save", kSave, 24, 23, true), directory, "save.png");
    save(fromRows("print", kPrint, 24, 23, true), directory, "print.png");
    save(fromRows("quit", kQuit, 16, 16, false), directory, "quit.png");
    return 0;
}
