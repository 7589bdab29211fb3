// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchChecks.h"

#include "cli/SettingsFile.h"
#include "cli/TextForms.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <utility>

namespace useropts {

namespace {

// What Linux takes for a whole path, in bytes.
constexpr qsizetype kLongestPath = 4095;

// FAT and the SMB protocol refuse these in a name, whatever Linux allows.
constexpr QStringView kForbiddenOnFat = u"\"*:<>?\\|";

// The form two names take when a file system that ignores letter case (FAT,
// SMB) would take them for one.
QString sameNameKey(const QString& relative)
{
    return relative.normalized(QString::NormalizationForm_C).toCaseFolded();
}

std::optional<QString> whyNotAName(const QString& part, int longestName)
{
    for (const QChar c : part) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("it holds the control character %1").arg(escapedValue(c));
        if (kForbiddenOnFat.contains(c))
            return QStringLiteral("it holds '%1', which FAT sticks and SMB shares cannot hold in "
                                  "a name")
                .arg(c);
    }
    if (part.endsWith(u' ') || part.endsWith(u'.'))
        return QStringLiteral("'%1' ends in '%2', which SMB shares drop, so that it would be "
                              "another name there")
            .arg(escapedValue(part), part.back());
    if (const qsizetype bytes = part.toUtf8().size(); bytes > longestName)
        return QStringLiteral("'%1' is %2 bytes long, longer than the %3 that the file system "
                              "allows in a name")
            .arg(escapedValue(part.left(40) + QStringLiteral("...")))
            .arg(bytes)
            .arg(longestName);
    return std::nullopt;
}

} // namespace

Result<QString> outputInside(const QString& name, int longestName)
{
    if (name.isEmpty())
        return Failure{QStringLiteral("the output has no name")};
    const QString cleaned = QDir::cleanPath(name);
    if (QDir::isAbsolutePath(name) || cleaned == QLatin1String(".") ||
        cleaned == QLatin1String("..") || cleaned.startsWith(QLatin1String("../"))) {
        return Failure{QStringLiteral("the output '%1' would not be inside the output folder")
                           .arg(escapedValue(name))};
    }
    for (const QString& part : cleaned.split(u'/')) {
        if (const auto why = whyNotAName(part, longestName))
            return Failure{
                QStringLiteral("the output '%1' cannot be made: %2").arg(escapedValue(name), *why)};
    }
    if (cleaned.toUtf8().size() > kLongestPath)
        return Failure{QStringLiteral("the output's name is longer than a path may be")};
    return cleaned;
}

void refuseCollisions(QList<PlannedOutput>& outputs, Complaints& bad)
{
    QHash<QString, const PlannedOutput*> files;   // by sameNameKey
    QHash<QString, const PlannedOutput*> folders; // the folders the outputs need
    QList<PlannedOutput> kept;
    kept.reserve(outputs.size());
    for (const PlannedOutput& output : outputs) {
        const QString key = sameNameKey(output.relative);
        QStringList above;
        for (qsizetype slash = key.indexOf(u'/'); slash >= 0; slash = key.indexOf(u'/', slash + 1))
            above << key.left(slash);
        QString why;
        if (const PlannedOutput* earlier = files.value(key)) {
            why =
                earlier->relative == output.relative
                    ? QStringLiteral("row %1 writes %2 already").arg(earlier->row).arg(output.shown)
                    : QStringLiteral("row %1 writes %2 already, and %3 is the same file on FAT "
                                     "sticks and SMB shares, which ignore letter case")
                          .arg(earlier->row)
                          .arg(earlier->shown, output.shown);
        } else if (const PlannedOutput* inside = folders.value(key)) {
            why = QStringLiteral("row %1 writes %2, so %3 must be a folder")
                      .arg(inside->row)
                      .arg(inside->shown, output.shown);
        } else {
            for (const QString& folder : above) {
                if (const PlannedOutput* file = files.value(folder)) {
                    why = QStringLiteral("row %1 writes the file %2, where this row needs a folder")
                              .arg(file->row)
                              .arg(file->shown);
                    break;
                }
            }
        }
        if (!why.isEmpty()) {
            bad.add(output.row, output.column, why);
            continue;
        }
        files.insert(key, &output);
        for (const QString& folder : above) {
            if (!folders.contains(folder))
                folders.insert(folder, &output);
        }
        kept.append(output);
    }
    // The pointers into outputs are not used past here.
    outputs = std::move(kept);
}

namespace {

// The file that stands where a folder must be made, for each folder the
// outputs need, found once for all the outputs in one folder: a batch of
// thousands would otherwise look at the same folders thousands of times.
class FilesOnTheWay
{
  public:
    // Empty where the folder exists or can be made.
    QString fileOnTheWay(const QString& folder)
    {
        if (const auto known = m_known.constFind(folder); known != m_known.cend())
            return *known;
        const QFileInfo info(folder);
        QString found;
        if (info.exists())
            found = info.isDir() ? QString() : info.filePath();
        else if (!info.isRoot() && info.path() != folder)
            found = fileOnTheWay(info.path());
        m_known.insert(folder, found);
        return found;
    }

  private:
    QHash<QString, QString> m_known;
};

} // namespace

void refuseWhatIsOnDisk(QList<PlannedOutput>& outputs, const BatchTemplate& templ,
                        const std::optional<FileIdentity>& table, const BatchRequest& request,
                        Complaints& bad)
{
    QHash<QString, int> existing; // the outputs that exist, by file identity
    QList<PlannedOutput> kept;
    kept.reserve(outputs.size());
    FilesOnTheWay blockers;
    for (PlannedOutput& output : outputs) {
        const QFileInfo info(output.path);
        const auto refuse = [&](const QString& why) { bad.add(output.row, output.column, why); };
        if (const auto link = symbolicLinkBelow(request.outputFolder, output.relative)) {
            refuse(QStringLiteral("%1 is a symbolic link, and nothing is written through links "
                                  "(remove it, or choose another folder)")
                       .arg(QDir::toNativeSeparators(*link)));
            continue;
        }
        const QString blocking = blockers.fileOnTheWay(info.path());
        const std::optional<FileIdentity> identity = fileIdentity(output.path);
        // Links are refused above, so the file the identity names is this one.
        output.exists = identity.has_value();
        if (!blocking.isEmpty()) {
            refuse(QStringLiteral("%1 cannot be made: %2 is a file, not a folder")
                       .arg(output.shown, QDir::toNativeSeparators(blocking)));
        } else if (output.exists && identity && identity == templ.identity) {
            refuse(QStringLiteral("%1 is the template").arg(output.shown));
        } else if (output.exists && identity && identity == table) {
            refuse(QStringLiteral("%1 is the table").arg(output.shown));
        } else if (output.exists && !request.force) {
            refuse(QStringLiteral("%1 exists already (--force replaces it)").arg(output.shown));
        } else if (output.exists && !info.isFile()) {
            refuse(QStringLiteral("%1 exists and is not a file").arg(output.shown));
        } else if (const QString key =
                       identity ? QStringLiteral("%1:%2").arg(identity->device).arg(identity->inode)
                                : QString();
                   output.exists && existing.contains(key)) {
            refuse(QStringLiteral("row %1 writes the same file already, under another of its "
                                  "names")
                       .arg(existing.value(key)));
        } else {
            if (output.exists)
                existing.insert(key, output.row);
            kept.append(std::move(output));
        }
    }
    outputs = std::move(kept);
}

void refuseCautions(QList<PlannedOutput>& outputs, Complaints& bad)
{
    QList<PlannedOutput> kept;
    kept.reserve(outputs.size());
    for (PlannedOutput& output : outputs) {
        const QStringList cautions = cautionsFor(output.file);
        for (const QString& caution : cautions)
            bad.add(output.row, {}, caution + QStringLiteral(" (--strict refuses it)"));
        if (cautions.isEmpty())
            kept.append(std::move(output));
    }
    outputs = std::move(kept);
}

void refuseWithoutRoom(const QList<PlannedOutput>& outputs, const BatchTemplate& templ,
                       const BatchRequest& request, Complaints& bad)
{
    const FileSystemRoom room = fileSystemRoom(request.outputFolder);
    if (room.freeBytes < 0)
        return;
    qint64 needed = 0;
    for (const PlannedOutput& output : outputs) {
        needed += templ.place.image ? bytesOnDisk(templ.imageRuns, room.blockSize)
                                    : bytesOnDisk({{0, output.file.size()}}, room.blockSize);
    }
    if (needed <= room.freeBytes)
        return;
    const auto megabytes = [](qint64 bytes) {
        return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
    };
    bad.add(0, {},
            QStringLiteral("the outputs need about %1 MB, but the file system that holds %2 has "
                           "only %3 MB free")
                .arg(megabytes(needed), QDir::toNativeSeparators(request.outputFolder),
                     megabytes(room.freeBytes)));
}

} // namespace useropts
