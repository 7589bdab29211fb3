// SPDX-License-Identifier: GPL-3.0-or-later
#include "floppy/FatLayout.h"

#include <QFile>

namespace useropts {

namespace {

constexpr qint64 kEntryBytes = 32;
// FAT allows no folder more entries than this; a longer root folder is damage.
constexpr qint64 kMaxFolderBytes = 65536 * kEntryBytes;
constexpr unsigned kLongNameSlot = 0x0F; // the attributes that mark a long-name slot
constexpr unsigned kDeleted = 0xE5;

unsigned byteAt(QByteArrayView bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]);
}

unsigned le16(QByteArrayView bytes, qsizetype at)
{
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8;
}

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return le16(bytes, at) | quint32(le16(bytes, at + 2)) << 16;
}

bool isPowerOfTwo(unsigned value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

// "USEROPTS.BAT" from "USEROPTSBAT"; a first byte 0x05 stands for 0xE5.
QString shortNameOf(QByteArrayView entry)
{
    QByteArray base = entry.first(8).toByteArray();
    if (byteAt(base, 0) == 0x05)
        base[0] = char(kDeleted);
    while (base.endsWith(' '))
        base.chop(1);
    QByteArray extension = entry.sliced(8, 3).toByteArray();
    while (extension.endsWith(' '))
        extension.chop(1);
    if (!extension.isEmpty())
        base += '.' + extension;
    return QString::fromLatin1(base);
}

// The 13 characters a long-name slot holds, in order.
QString slotCharacters(QByteArrayView entry)
{
    QString characters;
    for (const int at : {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30})
        characters += QChar(char16_t(le16(entry, at)));
    return characters;
}

// Joins the long-name slots before each 8.3 entry. Slots come last part first,
// numbered down to 1. A run that breaks off names nothing; the checksum is not
// asked, so a name that any program could take for the entry's is kept.
class LongNames
{
  public:
    void slot(QByteArrayView entry)
    {
        const unsigned order = byteAt(entry, 0);
        const int number = int(order & 0x1F);
        if (order & 0x40) {
            m_parts = QStringList(number);
            m_next = number;
        }
        if (number == 0 || number != m_next) {
            clear();
            return;
        }
        m_parts[number - 1] = slotCharacters(entry);
        --m_next;
    }
    // The long name of the 8.3 entry that ends the run, if it is whole.
    QString take()
    {
        QString name = m_next == 0 ? m_parts.join(QString()) : QString();
        if (const qsizetype end = name.indexOf(QChar(0)); end >= 0)
            name.truncate(end);
        clear();
        return name;
    }
    void clear()
    {
        m_parts.clear();
        m_next = -1;
    }

  private:
    QStringList m_parts;
    int m_next = -1;
};

QList<FolderEntry> entriesIn(QByteArrayView folder, bool fat32)
{
    QList<FolderEntry> entries;
    LongNames longNames;
    for (qsizetype at = 0; at + kEntryBytes <= folder.size(); at += kEntryBytes) {
        const QByteArrayView entry = folder.sliced(at, kEntryBytes);
        const unsigned first = byteAt(entry, 0);
        const unsigned attributes = byteAt(entry, 11);
        if (first == 0)
            break;
        if (first == kDeleted) {
            longNames.clear();
        } else if ((attributes & 0x3F) == kLongNameSlot) {
            longNames.slot(entry);
        } else if (attributes & kVolumeLabel) {
            longNames.clear();
        } else {
            const quint32 cluster = le16(entry, 26) | (fat32 ? quint32(le16(entry, 20)) << 16 : 0);
            entries.append({shortNameOf(entry), longNames.take(), quint8(attributes), cluster,
                            le32(entry, 28)});
        }
    }
    return entries;
}

// The entry of cluster in an allocation table; 0, a free cluster, where the
// table is too short to hold it.
quint32 nextCluster(QByteArrayView fat, int fatBits, quint32 cluster)
{
    const qint64 at = fatBits == 12 ? qint64(cluster) * 3 / 2 : qint64(cluster) * fatBits / 8;
    if (at + (fatBits == 32 ? 4 : 2) > fat.size())
        return 0;
    if (fatBits == 12)
        return cluster & 1 ? le16(fat, at) >> 4 : le16(fat, at) & 0xFFF;
    return fatBits == 16 ? le16(fat, at) : le32(fat, at) & 0x0FFFFFFF;
}

bool endsChain(quint32 next, int fatBits)
{
    return next >= (fatBits == 12 ? 0xFF8u : fatBits == 16 ? 0xFFF8u : 0x0FFFFFF8u);
}

bool isDataCluster(quint32 cluster, const FatLayout& layout)
{
    return cluster >= 2 && cluster - 2 < layout.clusters;
}

bool readAt(QFile& file, qint64 offset, qint64 length, QByteArray& into)
{
    if (!file.seek(offset))
        return false;
    const QByteArray bytes = file.read(length);
    into += bytes;
    return bytes.size() == length;
}

// A FAT32 root folder, cluster by cluster along its chain.
Result<QByteArray> rootChain(QFile& file, const FatLayout& layout)
{
    const Failure damaged{QStringLiteral("the cluster chain of its root folder is damaged")};
    QByteArray fat;
    if (!readAt(file, layout.fatOffset, layout.fatBytes, fat))
        return damaged;
    QByteArray folder;
    for (quint32 cluster = layout.rootCluster; folder.size() < kMaxFolderBytes;
         cluster = nextCluster(fat, layout.fatBits, cluster)) {
        if (!isDataCluster(cluster, layout) ||
            !readAt(file, layout.dataOffset + (cluster - 2) * layout.clusterBytes,
                    layout.clusterBytes, folder))
            return damaged;
        if (endsChain(nextCluster(fat, layout.fatBits, cluster), layout.fatBits))
            break;
    }
    return folder;
}

} // namespace

std::optional<FatLayout> fatLayout(QByteArrayView boot)
{
    if (boot.size() < 512 || byteAt(boot, 510) != 0x55 || byteAt(boot, 511) != 0xAA)
        return std::nullopt;
    const unsigned jump = byteAt(boot, 0);
    const unsigned bytesPerSector = le16(boot, 11);
    const unsigned sectorsPerCluster = byteAt(boot, 13);
    const unsigned reserved = le16(boot, 14);
    const unsigned fats = byteAt(boot, 16);
    const unsigned rootEntries = le16(boot, 17);
    const quint64 totalSectors = le16(boot, 19) ? le16(boot, 19) : le32(boot, 32);
    const unsigned media = byteAt(boot, 21);
    // FAT32 keeps its table's size further on and has no fixed root folder.
    const quint64 fatSectors = le16(boot, 22) ? le16(boot, 22) : rootEntries ? 0 : le32(boot, 36);
    const quint64 rootSectors =
        (quint64(rootEntries) * kEntryBytes + bytesPerSector - 1) / qMax(bytesPerSector, 1u);
    const quint64 dataStart = reserved + fats * fatSectors + rootSectors;
    const bool sane = (jump == 0xEB || jump == 0xE9) &&
                      (bytesPerSector == 512 || bytesPerSector == 1024 || bytesPerSector == 2048 ||
                       bytesPerSector == 4096) &&
                      isPowerOfTwo(sectorsPerCluster) && sectorsPerCluster <= 128 &&
                      reserved >= 1 && (fats == 1 || fats == 2) && totalSectors > 0 &&
                      (media == 0xF0 || media >= 0xF8) && fatSectors > 0 &&
                      dataStart < totalSectors;
    if (!sane)
        return std::nullopt;
    FatLayout layout;
    layout.clusterBytes = qint64(sectorsPerCluster) * bytesPerSector;
    layout.fatOffset = qint64(reserved) * bytesPerSector;
    layout.fatBytes = qint64(fatSectors) * bytesPerSector;
    layout.rootOffset = layout.fatOffset + fats * layout.fatBytes;
    layout.rootBytes = qint64(rootEntries) * kEntryBytes;
    layout.rootCluster = rootEntries ? 0 : le32(boot, 44);
    layout.dataOffset = qint64(dataStart) * bytesPerSector;
    layout.clusters =
        quint32(qMin<quint64>((totalSectors - dataStart) / sectorsPerCluster, 0x0FFFFFF0));
    layout.totalBytes = qint64(totalSectors) * bytesPerSector;
    // The count of clusters alone tells FAT12 from FAT16, as DOS tells them.
    layout.fatBits = !rootEntries ? 32 : layout.clusters < 4085 ? 12 : 16;
    return layout;
}

Result<QList<FolderEntry>> readRootFolder(const QString& image)
{
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    const QByteArray boot = file.read(512);
    const std::optional<FatLayout> layout = fatLayout(boot);
    if (!layout)
        return Failure{QStringLiteral("it holds no FAT file system")};
    QByteArray folder;
    if (layout->rootBytes > 0) {
        if (!readAt(file, layout->rootOffset, layout->rootBytes, folder))
            return Failure{QStringLiteral("its root folder could not be read: %1")
                               .arg(file.atEnd() ? QStringLiteral("the image ends before it")
                                                 : file.errorString())};
    } else {
        const Result<QByteArray> chain = rootChain(file, *layout);
        if (!chain.ok())
            return chain.failure();
        folder = chain.value();
    }
    return entriesIn(folder, layout->fatBits == 32);
}

Result<QByteArray> readFileInImage(const QString& image, const FolderEntry& entry, Chain chain)
{
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    const std::optional<FatLayout> layout = fatLayout(file.read(512));
    if (!layout)
        return Failure{QStringLiteral("it holds no FAT file system")};
    const Failure damaged{
        QStringLiteral("the cluster chain of %1 in it is damaged").arg(entry.shortName)};
    QByteArray fat;
    if (entry.size > quint64(layout->clusters) * layout->clusterBytes ||
        !readAt(file, layout->fatOffset, layout->fatBytes, fat))
        return damaged;
    QByteArray content;
    content.reserve(entry.size);
    quint32 cluster = entry.firstCluster;
    // Each round takes a cluster's worth, so the size bounds the rounds.
    while (content.size() < qint64(entry.size)) {
        if (!isDataCluster(cluster, *layout) ||
            !readAt(file, layout->dataOffset + qint64(cluster - 2) * layout->clusterBytes,
                    qMin<qint64>(layout->clusterBytes, entry.size - content.size()), content))
            return damaged;
        cluster = nextCluster(fat, layout->fatBits, cluster);
    }
    if (chain == Chain::Exact && entry.size > 0 && !endsChain(cluster, layout->fatBits))
        return damaged;
    return content;
}

} // namespace useropts
