// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the image tests make and look at: images spoilt in the ways DOS and
// mtools part on or fsck.fat finds, the bytes a save may change, and
// programs put on PATH in place of the real ones.
#include "support/DiskTools.h"
#include "support/SettingsFiles.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace useropts::testing {

// Spoils an image whose first file is a USEROPTS.BAT of one cluster:
//   "long name"       another file gets the long name USEROPTS.BAT
//   "twice"           a second 8.3 entry USEROPTS.BAT
//   "only long name"  the settings file renamed, another file long-named so
//   "folder"          the settings file renamed, a folder USEROPTS.BAT made
//   "cross-linked"    the settings file runs on into another file's clusters
//   "tables differ"   the second allocation table alone marks a cluster used
//   "free cluster"    the settings file runs on into a free cluster
inline bool spoilImage(const QString& image, const QString& how)
{
    // A long name "USEROPTS BAT" made "USEROPTS.BAT" in its slot.
    const auto longName = [&] {
        return tool("mcopy", {"-i", image, "-", "::USEROPTS BAT"}, "other\r\n") == 0 &&
               replaceInFile(image, QByteArray("S\0 \0B\0", 6), QByteArray("S\0.\0B\0", 6));
    };
    const auto renamed = [&] { return replaceInFile(image, "USEROPTSBAT", "USEROPTSOLD"); };
    if (how == "long name")
        return longName();
    if (how == "twice")
        return tool("mcopy", {"-i", image, "-", "::USEROPTS.BAX"}, "other\r\n") == 0 &&
               replaceInFile(image, "USEROPTSBAX", "USEROPTSBAT");
    if (how == "only long name")
        return renamed() && longName();
    if (how == "folder")
        return renamed() && tool("mmd", {"-i", image, "::USEROPTS.BAT"}) == 0;
    if (how == "cross-linked")
        return tool("mcopy", {"-i", image, "-", "::OTHER.TXT"}, QByteArray(3000, 'o')) == 0 &&
               setAllocationEntry(image, -1, 2, 3);
    if (how == "tables differ")
        return setAllocationEntry(image, 1, 100, 0xFFF);
    if (how == "free cluster")
        return setAllocationEntry(image, -1, 2, 200);
    return false;
}

// The byte ranges a save may change: the allocation tables and the root
// folder, from the boot sector, the clusters the settings file (and on FAT32
// the root folder) holds, and FAT32's count of free clusters.
struct Region
{
    qint64 from, to;
};

inline QList<Region> changeableRegions(const QString& image)
{
    const QByteArray b = contents(image);
    const auto u8 = [&](int at) { return qint64(static_cast<unsigned char>(b[at])); };
    const auto u16 = [&](int at) { return u8(at) | u8(at + 1) << 8; };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    const qint64 sector = u16(11);
    const qint64 perCluster = u8(13) * sector;
    const qint64 fatStart = u16(14) * sector;
    const qint64 rootStart = fatStart + u8(16) * (u16(22) ? u16(22) : u32(36)) * sector;
    const qint64 dataStart = rootStart + u16(17) * 32;
    QList<Region> regions{{fatStart, dataStart}};
    if (u16(17) == 0)
        regions.append({u16(48) * sector, (u16(48) + 1) * sector});
    for (const QString file : {"::USEROPTS.BAT", "::"}) {
        QByteArray listing;
        tool("mshowfat", {"-i", image, file}, {}, &listing);
        static const QRegularExpression range("(\\d+)(?:-(\\d+))?");
        // "::/USEROPTS.BAT <3> <200-209>": every group after the name.
        const QString clusters = QString::fromLatin1(listing).section('<', 1);
        for (auto m = range.globalMatch(clusters); m.hasNext();) {
            const auto match = m.next();
            const qint64 first = match.captured(1).toLongLong();
            const qint64 last =
                match.captured(2).isEmpty() ? first : match.captured(2).toLongLong();
            regions.append(
                {dataStart + (first - 2) * perCluster, dataStart + (last - 1) * perCluster});
        }
    }
    return regions;
}

// The first byte that differs outside the regions, or -1.
inline qsizetype changeOutside(const QByteArray& before, const QByteArray& after,
                               const QList<Region>& regions)
{
    for (qsizetype i = 0; i < qMin(before.size(), after.size()); ++i) {
        if (after[i] != before[i] && std::none_of(regions.begin(), regions.end(), [&](Region r) {
                return i >= r.from && i < r.to;
            }))
            return i;
    }
    return -1;
}

// The settings file's attributes as mattrib shows them ("  A  SHR").
inline QByteArray attributesOf(const QString& image)
{
    QByteArray listing;
    tool("mattrib", {"-i", image, "::USEROPTS.BAT"}, {}, &listing);
    return listing.left(listing.indexOf("::"));
}

// PATH holds only the folder given, or has it first, while this lives.
class ProgramsOnPath
{
  public:
    ProgramsOnPath(const QString& folder, bool alone) : m_old(qgetenv("PATH"))
    {
        const QByteArray first = QFile::encodeName(folder);
        qputenv("PATH", alone ? first : first + ':' + m_old);
    }
    ~ProgramsOnPath() { qputenv("PATH", m_old); }
    ProgramsOnPath(const ProgramsOnPath&) = delete;
    ProgramsOnPath& operator=(const ProgramsOnPath&) = delete;

  private:
    QByteArray m_old;
};

} // namespace useropts::testing
