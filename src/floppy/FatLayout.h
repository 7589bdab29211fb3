// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace useropts {

// Where the parts of a FAT file system lie, in bytes from its start, as its
// boot sector says.
struct FatLayout
{
    qint64 clusterBytes = 0;
    qint64 fatOffset = 0; // the first allocation table
    qint64 fatBytes = 0;
    qint64 rootOffset = 0;   // the fixed root folder of FAT12 and FAT16
    qint64 rootBytes = 0;    // 0 on FAT32, whose root folder is a chain of clusters
    quint32 rootCluster = 0; // where that chain starts
    qint64 dataOffset = 0;   // cluster 2
    quint32 clusters = 0;    // how many data clusters there are
    qint64 totalBytes = 0;
    int fatBits = 12; // the size of an allocation table's entry: 12, 16 or 32
};

// The layout, when bootSector starts a FAT file system: the boot sector's
// signature and a sane BIOS parameter block.
std::optional<FatLayout> fatLayout(QByteArrayView bootSector);

// The DOS attributes of a folder entry.
enum DosAttribute : quint8
{
    kReadOnly = 0x01,
    kHidden = 0x02,
    kSystem = 0x04,
    kVolumeLabel = 0x08,
    kFolder = 0x10,
    kArchive = 0x20,
};

// A file or folder of a root folder: the 8.3 name DOS opens it by
// ("USEROPTS.BAT"), the long name that comes with it, if any, its attributes,
// its first cluster and its size.
struct FolderEntry
{
    QString shortName;
    QString longName;
    quint8 attributes = 0;
    quint32 firstCluster = 0;
    quint32 size = 0;
};

// The files and folders in the root folder of the image at path, read from
// its bytes, deleted entries and the volume label left out. Reading stops at
// the folder's end mark as DOS does, and never reads more than a folder can
// hold, however damaged the image is.
Result<QList<FolderEntry>> readRootFolder(const QString& image);

// How a file's cluster chain is followed.
enum class Chain
{
    AsDosReads, // for as many clusters as its size takes, whatever comes after
    Exact,      // and it must end there, as a chain just written does
};

// The content of the file entry names in the image at path, its size in
// bytes read cluster by cluster along its chain in the first allocation
// table. A failure where the chain leaves the data clusters first, or with
// Chain::Exact runs on past the file's end.
Result<QByteArray> readFileInImage(const QString& image, const FolderEntry& entry, Chain chain);

} // namespace useropts
