// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Apply.h"

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/Tables.h"
#include "cli/TextForms.h"
#include "common/Messages.h"
#include "files/NewFiles.h"
#include "files/TemporaryFiles.h"
#include "floppy/SettingsPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace useropts {

namespace {

const QString kPathColumn = QStringLiteral("PATH");

// One row, once checked: the file it names and what it becomes.
struct PlannedUpdate
{
    int row = 0;
    QString shown; // the path as the table gives it
    SettingsPlace place;
    QList<Field> changed;
    QByteArray file; // the new bytes; none when nothing changes
};

QString identityKey(const std::optional<FileIdentity>& identity)
{
    return identity ? QStringLiteral("%1:%2").arg(identity->device).arg(identity->inode)
                    : QString();
}

// Reads the row's file whole and works out its new bytes, or says why not.
Result<PlannedUpdate> planRow(const TableRow& row, const QList<TableColumn>& columns,
                              const TableColumn& pathColumn, const QString& folder,
                              ProcessRunner& processes, Complaints& bad)
{
    PlannedUpdate update;
    update.row = row.number;
    update.shown = row.cells[pathColumn.index];
    if (update.shown.isEmpty())
        return Failure{QStringLiteral("the row names no file")};
    const QString path = QDir(folder).filePath(update.shown);
    CommandRead read = readForCommand(processes, path);
    if (read.opened.failure)
        return Failure{unreadableMessage(update.shown, *read.opened.failure)};
    update.place = read.opened.place;
    const EditorFields before = read.fields;
    bool good = true;
    for (const TableColumn& column : columns) {
        if (!column.field)
            continue;
        if (Result<> set = setShownValue(read.fields, *column.field, row.cells[column.index]);
            !set.ok()) {
            bad.add(row.number, column.header, set.failure().reason);
            good = false;
        } else if (shownValue(read.fields, *column.field) != shownValue(before, *column.field)) {
            update.changed.append(*column.field);
        }
    }
    if (!good || update.changed.isEmpty())
        return update;
    // An image's settings file is read whole already.
    const Result<QByteArray> whole = read.opened.whole
                                         ? Result<QByteArray>(read.opened.bytes)
                                         : readWholeSettingsFile(processes, update.place);
    if (!whole.ok())
        return Failure{cannotRead(update.shown, whole.failure().reason)};
    const Result<QByteArray> file = editSettingsFile(whole.value(), read.fields, update.changed);
    if (!file.ok())
        return file.failure();
    update.file = file.value();
    return update;
}

QList<PlannedUpdate> planUpdates(const TableFile& table, const ApplyRequest& request,
                                 ProcessRunner& processes, Complaints& bad)
{
    const QList<TableColumn> columns = tableColumns(table.rows, kPathColumn, bad);
    const auto pathColumn =
        std::find_if(columns.begin(), columns.end(), [](const TableColumn& c) { return !c.field; });
    if (pathColumn == columns.end() && bad.isEmpty())
        bad.add(1, {}, QStringLiteral("no column is named PATH, which names each row's file"));
    if (!bad.isEmpty())
        return {};
    QList<PlannedUpdate> updates;
    QHash<QString, int> files; // by file identity, the row that names it
    for (const TableRow& row : tableRows(table.rows, bad)) {
        Result<PlannedUpdate> update =
            planRow(row, columns, *pathColumn, table.folder, processes, bad);
        if (!update.ok()) {
            bad.add(row.number, pathColumn->header, update.failure().reason);
            continue;
        }
        const QString key =
            identityKey(fileIdentity(QDir(table.folder).filePath(update.value().shown)));
        if (const auto earlier = files.constFind(key);
            !key.isEmpty() && earlier != files.constEnd()) {
            bad.add(row.number, pathColumn->header,
                    QStringLiteral("row %1 names the same file already").arg(*earlier));
            continue;
        }
        files.insert(key, row.number);
        if (request.strict) {
            for (const QString& caution : cautionsFor(update.value().file))
                bad.add(row.number, {}, caution + QStringLiteral(" (--strict refuses it)"));
        }
        updates.append(update.value());
    }
    return updates;
}

// The new files wait beside the ones they replace, a group at a time: one
// flush brings a group to disk before any of them takes its file's place,
// and one more brings the last names there, where each file brought to disk
// on its own would wait for the disk twice. A power cut thus leaves each
// file as it was or as written, and at worst a hidden new file beside it.
class UpdateWriter
{
  public:
    explicit UpdateWriter(ProcessRunner& processes) : m_processes(processes) {}

    // Writes the updates that change something; false, with the reason
    // told, when one failed. Those before it are written, none after it.
    bool write(const QList<PlannedUpdate>& updates);
    qsizetype changed() const { return m_changed; }

  private:
    using Prepared = std::optional<Result<std::unique_ptr<FileReplacement>>>;

    std::vector<Prepared> prepare(const QList<const PlannedUpdate*>& group);
    bool writeGroup(const QList<const PlannedUpdate*>& group);
    bool report(const QString& reason, int row = 0) const
    {
        printMessage(QStringLiteral("%1%2 (%3 changed before it)")
                         .arg(row ? QStringLiteral("row %1: ").arg(row) : QString(), reason)
                         .arg(m_changed));
        return false;
    }

    ProcessRunner& m_processes;
    QStringList m_folders; // that hold the files written
    qsizetype m_changed = 0;
};

QString folderOf(const FileReplacement& replacement)
{
    return QFileInfo(replacement.hiddenPath()).absolutePath();
}

// Brings the file systems that hold the folders to disk, each once.
Result<> flushFolders(const QStringList& folders)
{
    QSet<QString> seen;
    QSet<quint64> flushed;
    for (const QString& folder : folders) {
        if (seen.contains(folder))
            continue;
        seen.insert(folder);
        const std::optional<FileIdentity> identity = fileIdentity(folder);
        if (identity && flushed.contains(identity->device))
            continue;
        if (Result<> done = flushFileSystem(folder); !done.ok())
            return done;
        if (identity)
            flushed.insert(identity->device);
    }
    return {};
}

// Each image waits for two programs, fsck.fat and then mcopy, so a few are
// prepared at once. After a failure no further one is begun: a row after a
// bad one is never written.
std::vector<UpdateWriter::Prepared> UpdateWriter::prepare(const QList<const PlannedUpdate*>& group)
{
    std::vector<Prepared> prepared(size_t(group.size()));
    std::atomic<qsizetype> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (qsizetype i = next++; i < group.size() && !failed; i = next++) {
            prepared[size_t(i)].emplace(
                prepareSettingsBytes(m_processes, group[i]->place, group[i]->file));
            if (!prepared[size_t(i)]->ok())
                failed = true;
        }
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < qBound(1, QThread::idealThreadCount(), 4); ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return prepared;
}

bool UpdateWriter::writeGroup(const QList<const PlannedUpdate*>& group)
{
    std::vector<Prepared> prepared = prepare(group);
    QStringList folders;
    for (const Prepared& one : prepared) {
        if (one && one->ok() && one->value())
            folders.append(folderOf(*one->value()));
    }
    if (Result<> flushed = flushFolders(folders); !flushed.ok())
        return report(flushed.failure().reason);
    for (qsizetype i = 0; i < group.size() && prepared[size_t(i)]; ++i) {
        const PlannedUpdate& update = *group[i];
        Result<std::unique_ptr<FileReplacement>>& one = *prepared[size_t(i)];
        if (!one.ok())
            return report(one.failure().reason, update.row);
        // Where only a rewrite in place can do, it is done here, in order.
        const Result<> done = one.value()
                                  ? one.value()->commit(FileReplacement::ToDisk::Flushed)
                                  : writeSettingsBytes(m_processes, update.place, update.file);
        if (!done.ok())
            return report(done.failure().reason, update.row);
        ++m_changed;
        printRowCautions(update.row, update.file);
    }
    m_folders += folders;
    return true;
}

bool UpdateWriter::write(const QList<PlannedUpdate>& updates)
{
    QList<const PlannedUpdate*> changing;
    for (const PlannedUpdate& update : updates) {
        if (!update.changed.isEmpty())
            changing.append(&update);
    }
    for (qsizetype at = 0; at < changing.size(); at += kMostPendingReplacements) {
        if (!writeGroup(changing.mid(at, kMostPendingReplacements)))
            return false;
    }
    if (Result<> flushed = flushFolders(m_folders); !flushed.ok()) {
        printMessage(flushed.failure().reason);
        return false;
    }
    return true;
}

} // namespace

int runApply(const ApplyRequest& request, ProcessRunner& processes)
{
    Complaints complaints;
    const Result<TableFile> table = readTableFile(request.tablePath, request.encoding);
    if (!table.ok()) {
        complaints.add(0, {}, table.failure().reason);
        return refused(complaints);
    }
    const QList<PlannedUpdate> updates = planUpdates(table.value(), request, processes, complaints);
    if (!complaints.isEmpty())
        return refused(complaints);
    if (request.dryRun)
        return describePlanned(updates, QStringLiteral("nothing changes"));
    UpdateWriter writer(processes);
    if (!writer.write(updates))
        return kDataFailed;
    const qsizetype changed = writer.changed();
    printData(
        QStringLiteral("%1 changed, %2 as they were\n").arg(changed).arg(updates.size() - changed));
    return dataWrittenWhole() ? kDone
                              : failed(QStringLiteral("%1 changed, but standard output could not "
                                                      "say so")
                                           .arg(changed));
}

} // namespace useropts
