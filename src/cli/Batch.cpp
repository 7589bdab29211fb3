// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Batch.h"

#include "cli/BatchPlan.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/TextForms.h"
#include "common/Messages.h"
#include "files/FileHead.h"
#include "files/NewFiles.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <optional>

namespace useropts {

namespace {

// Far beyond any floppy, as for an image that is edited.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;

// The folders an output needs, made only where no link has appeared on the
// way since the outputs were checked.
Result<> makeFoldersFor(const PlannedOutput& output, const BatchRequest& request)
{
    if (const auto link = symbolicLinkBelow(request.outputFolder, output.relative)) {
        return Failure{cannotWrite(
            output.shown,
            QStringLiteral("%1 is a symbolic link now").arg(QDir::toNativeSeparators(*link)))};
    }
    return makeFolders(QFileInfo(output.path).path());
}

// The template's image with the row's settings file, under a hidden name
// beside the output until it is whole.
Result<std::unique_ptr<NewFile>> imageFor(const BatchTemplate& templ, const PlannedOutput& output,
                                          ProcessRunner& processes)
{
    Result<std::unique_ptr<NewFile>> made =
        NewFile::create(output.path, templ.image, templ.imageRuns, templ.permissions);
    if (!made.ok())
        return made;
    const QString hidden = made.value()->hiddenPath();
    if (Result<> written = writeSettingsIntoFreshImage(processes, hidden, output.file);
        !written.ok()) {
        // Named by the output, not by the hidden file nobody will look for.
        QString reason = written.failure().reason;
        return Failure{
            reason.replace(settingsFileInImage(hidden), settingsFileInImage(output.shown))};
    }
    return made;
}

Result<> writeOutput(const BatchTemplate& templ, const PlannedOutput& output,
                     const BatchRequest& request, ProcessRunner& processes)
{
    if (Result<> folders = makeFoldersFor(output, request); !folders.ok())
        return folders;
    if (!templ.place.image) {
        // An output that was there before keeps what belongs to it.
        if (output.exists)
            return writeWholeFile(output.path, output.file, output.shown);
        Result<std::unique_ptr<NewFile>> made =
            NewFile::create(output.path, output.file, {{0, output.file.size()}}, templ.permissions);
        return made.ok() ? made.value()->finish() : Result<>(made.failure());
    }
    Result<std::unique_ptr<NewFile>> image = imageFor(templ, output, processes);
    if (!image.ok())
        return image.failure();
    if (!output.exists)
        return image.value()->finish();
    const Result<QByteArray> bytes = readFileStart(image.value()->hiddenPath(), kMaxImageBytes + 1);
    if (!bytes.ok())
        return Failure{cannotWrite(output.shown, QStringLiteral("the new image could not be read "
                                                                "back: %1")
                                                     .arg(bytes.failure().reason))};
    return writeWholeFile(output.path, bytes.value(), output.shown);
}

// Writes the outputs in order, with progress on a terminal; how many, or
// nothing once one failed, which is told. Those before it stay written.
std::optional<qsizetype> writeOutputs(const BatchTemplate& templ,
                                      const QList<PlannedOutput>& outputs,
                                      const BatchRequest& request, ProcessRunner& processes)
{
    const bool progress = messagesGoToTerminal();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qsizetype written = 0;
    for (const PlannedOutput& output : outputs) {
        if (progress && sinceProgress.elapsed() >= 100) {
            showProgress(
                QStringLiteral("useropts: %1 of %2 written").arg(written).arg(outputs.size()));
            sinceProgress.restart();
        }
        if (Result<> done = writeOutput(templ, output, request, processes); !done.ok()) {
            printMessage(QStringLiteral("row %1: %2 (%3 of %4 written before it)")
                             .arg(output.row)
                             .arg(done.failure().reason)
                             .arg(written)
                             .arg(outputs.size()));
            return std::nullopt;
        }
        ++written;
        printRowCautions(output.row, output.file);
    }
    return written;
}

} // namespace

int runBatch(const BatchRequest& request, ProcessRunner& processes)
{
    Complaints complaints;
    const Result<BatchTemplate> templ = readBatchTemplate(request.templatePath, processes);
    if (!templ.ok()) {
        complaints.add(0, {}, templ.failure().reason);
        return refused(complaints);
    }
    const Result<TableFile> table = readTableFile(request.tablePath, request.encoding);
    if (!table.ok()) {
        complaints.add(0, {}, table.failure().reason);
        return refused(complaints);
    }
    const QList<PlannedOutput> outputs =
        planOutputs(templ.value(), table.value(), request, complaints);
    if (!complaints.isEmpty())
        return refused(complaints);
    if (request.dryRun)
        return describePlanned(outputs, QStringLiteral("as the template"));

    if (Result<> folder = makeFolders(request.outputFolder); !folder.ok()) {
        printMessage(folder.failure().reason);
        return kDataFailed;
    }
    const std::optional<qsizetype> written =
        writeOutputs(templ.value(), outputs, request, processes);
    if (!written)
        return kDataFailed;
    if (Result<> flushed = flushFileSystem(request.outputFolder); !flushed.ok()) {
        printMessage(flushed.failure().reason);
        return kDataFailed;
    }
    showProgress({});
    printData(QStringLiteral("%1 written to %2\n")
                  .arg(*written)
                  .arg(escapedControls(request.outputFolder)));
    if (!dataWrittenWhole()) {
        printMessage(QStringLiteral("%1 written to %2, but standard output could not say so")
                         .arg(*written)
                         .arg(request.outputFolder));
        return kDataFailed;
    }
    return kDone;
}

} // namespace useropts
