#include "cli/Batch.h"

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/CsvTable.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/TextForms.h"
#include "files/FileHead.h"
#include "files/NewFiles.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"
#include "settings/ComputerName.h"
#include "settings/SettingsWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace useropts {

namespace {

// Far beyond any table of computers; a file that large is not a table.
constexpr qint64 kMaxTableBytes = 64 * 1024 * 1024;
// Far beyond any floppy, as for an image that is edited.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;
// Enough to see what is wrong with a table, not a screenful of the same.
constexpr int kMostBadRowsShown = 20;

const QString kOutputColumn = QStringLiteral("OUTPUT");

// What is wrong with a table, told by row and column in the order of the rows.
class Complaints
{
  public:
    void add(int row, const QString& column, const QString& why)
    {
        m_lines.append(
            {row, column.isNull()
                      ? QStringLiteral("row %1: %2").arg(row).arg(why)
                      : QStringLiteral("row %1, column %2: %3").arg(row).arg(column, why)});
    }
    bool isEmpty() const { return m_lines.isEmpty(); }
    QStringList lines() const
    {
        QList<std::pair<int, QString>> sorted = m_lines;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList lines;
        for (const auto& line : sorted)
            lines << line.second;
        return lines;
    }

  private:
    QList<std::pair<int, QString>> m_lines;
};

struct Column
{
    QString header;             // as the table spells it
    std::optional<Field> field; // none for OUTPUT
};

// One data row, once checked: what is written and where.
struct RowOutput
{
    int row = 0;
    EditorFields fields;
    bool needsName = false; // a fresh computer name, as the window gives a KZ name
    QString outputCell;     // the OUTPUT column's, where there is one
    QString column;         // the header that names the output, for messages
    QString shown;          // the output's path as the user gave its parts
    QString path;
    bool exists = false;
    QByteArray file;
};

struct Template
{
    SettingsPlace place;
    EditorFields fields;
    bool freshNames = false; // its computer name starts with KZ
    QByteArray image;        // the whole image, for an image template
    QList<ByteRun> imageRuns;
};

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

Result<Template> readTemplate(const QString& path, ProcessRunner& processes)
{
    const Result<SettingsPlace> place = placeToRead(path);
    if (!place.ok())
        return place.failure();
    OpenedSettings opened = openSettings(processes, place.value());
    if (opened.failure)
        return *opened.failure;
    Template result{place.value(), opened.fields, false, {}, {}};
    // Reading turned a KZ name into a fresh one, which starts with KZ again.
    result.freshNames = opened.fields.txtComputer.startsWith(QStringLiteral("KZ"));
    if (place.value().image) {
        const Result<QByteArray> bytes = readFileStart(path, kMaxImageBytes + 1);
        if (!bytes.ok() || bytes.value().size() > kMaxImageBytes) {
            return Failure{QStringLiteral("cannot read %1: %2")
                               .arg(QDir::toNativeSeparators(path),
                                    bytes.ok() ? QStringLiteral("it is larger than %1 MB, far "
                                                                "larger than a floppy")
                                                     .arg(kMaxImageBytes / (1024 * 1024))
                                               : bytes.failure().reason)};
        }
        result.image = bytes.value();
        result.imageRuns = dataRuns(result.image);
    }
    return result;
}

Result<QList<CsvRow>> readTable(const QString& path)
{
    const auto cannotRead = [&](const QString& why) {
        return Failure{
            QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), why)};
    };
    const Result<QByteArray> bytes = readFileStart(path, kMaxTableBytes + 1);
    if (!bytes.ok())
        return cannotRead(bytes.failure().reason);
    if (bytes.value().size() > kMaxTableBytes)
        return cannotRead(QStringLiteral("it is larger than %1 MB, far larger than a table of "
                                         "computers")
                              .arg(kMaxTableBytes / (1024 * 1024)));
    Result<QList<CsvRow>> rows = parseCsv(bytes.value());
    if (rows.ok() && rows.value().isEmpty())
        return cannotRead(QStringLiteral("it is empty; its first row must name the settings"));
    return rows;
}

// What each column sets; the complaints about the header row go to bad.
QList<Column> readHeader(const CsvRow& header, Complaints& bad)
{
    QList<Column> columns;
    QHash<QString, QString> seen; // the setting's name or OUTPUT, and the header that gave it
    for (const QString& name : header.cells) {
        Column column{name, fieldNamed(name)};
        const bool output = name.compare(kOutputColumn, Qt::CaseInsensitive) == 0;
        const QString key = column.field ? nameOf(*column.field) : kOutputColumn;
        if (!column.field && !output) {
            bad.add(header.number, name,
                    QStringLiteral("there is no setting named '%1', nor is it OUTPUT")
                        .arg(escapedValue(name)));
        } else if (const auto earlier = seen.constFind(key); earlier != seen.constEnd()) {
            bad.add(header.number, name,
                    QStringLiteral("column %1 names it already").arg(*earlier));
        } else {
            seen.insert(key, name);
        }
        columns.append(column);
    }
    return columns;
}

// A name for the output of a row that is inside the output folder, or why not.
Result<QString> outputInside(const QString& name)
{
    const QString cleaned = QDir::cleanPath(name);
    if (name.isEmpty() || QDir::isAbsolutePath(name) || cleaned == QLatin1String(".") ||
        cleaned == QLatin1String("..") || cleaned.startsWith(QLatin1String("../"))) {
        return Failure{name.isEmpty()
                           ? QStringLiteral("the output has no name")
                           : QStringLiteral("the output '%1' would not be inside the output "
                                            "folder")
                                 .arg(escapedValue(name))};
    }
    return cleaned;
}

// The first part of path that exists, when it is not a folder, so that the
// output's folders could not be made.
std::optional<QString> blockingFile(const QString& path)
{
    for (QFileInfo up(QFileInfo(path).path());; up = QFileInfo(up.path())) {
        if (up.exists())
            return up.isDir() ? std::nullopt : std::optional<QString>(up.filePath());
        if (up.path() == up.filePath())
            return std::nullopt;
    }
}

// Gives every row that needs one a fresh computer name that no other row of
// the batch has.
void nameFreshComputers(QList<RowOutput>& outputs)
{
    QSet<QString> taken;
    for (const RowOutput& output : outputs) {
        if (!output.needsName)
            taken.insert(output.fields.txtComputer);
    }
    for (RowOutput& output : outputs) {
        if (!output.needsName)
            continue;
        QString name = applyComputerNameRule(QStringLiteral("KZ"), timeSeededUnitRandom);
        // The clock may not have moved on since the last name; a few more
        // draws find a free one long before the names run out.
        for (int draw = 0; taken.contains(name); ++draw) {
            name = draw < 1000 ? applyComputerNameRule(QStringLiteral("KZ"), timeSeededUnitRandom)
                               : QStringLiteral("KZ%1").arg(name.mid(2).toLong() % 9999999 + 1);
        }
        taken.insert(name);
        output.fields.txtComputer = name;
    }
}

// Checks every row and works out its output; the complaints go to bad.
QList<RowOutput> planOutputs(const Template& templ, const QList<CsvRow>& table,
                             const BatchRequest& request, Complaints& bad)
{
    const QList<Column> columns = readHeader(table.first(), bad);
    qsizetype nameColumn = -1;
    qsizetype outputColumn = -1;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].field == Field::txtComputer)
            nameColumn = i;
        else if (!columns[i].field)
            outputColumn = i;
    }
    if (!bad.isEmpty())
        return {};

    QList<RowOutput> outputs;
    for (const CsvRow& row : table.sliced(1)) {
        if (row.cells.size() != columns.size()) {
            bad.add(row.number, {},
                    QStringLiteral("it has %1 cells where the first row has %2")
                        .arg(row.cells.size())
                        .arg(columns.size()));
            continue;
        }
        RowOutput output;
        output.row = row.number;
        output.fields = templ.fields;
        bool good = true;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (!columns[i].field)
                continue;
            if (Result<> set = setShownValue(output.fields, *columns[i].field, row.cells[i]);
                !set.ok()) {
                bad.add(row.number, columns[i].header, set.failure().reason);
                good = false;
            }
        }
        if (outputColumn >= 0)
            output.outputCell = row.cells[outputColumn];
        output.needsName = templ.freshNames && (nameColumn < 0 || row.cells[nameColumn].isEmpty());
        if (good)
            outputs.append(output);
    }
    nameFreshComputers(outputs);

    // The folder as given, to name the outputs in messages as the user would.
    QString folder = request.outputFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString templatePath = canonical(request.templatePath);
    const QString tablePath = canonical(request.tablePath);
    QHash<QString, int> taken;
    QList<RowOutput> planned;
    for (RowOutput& output : outputs) {
        const Result<QByteArray> file = writeSettings(output.fields);
        if (!file.ok()) {
            const std::optional<Field> field = fieldOnLine(file.failure().line);
            QString column = field ? nameOf(*field) : QString();
            for (const Column& c : columns) {
                if (field && c.field == field)
                    column = c.header;
            }
            bad.add(output.row, column, file.failure().reason);
            continue;
        }
        output.file = file.value();

        QString name;
        if (outputColumn >= 0) {
            output.column = columns[outputColumn].header;
            name = output.outputCell;
        } else {
            output.column =
                nameColumn >= 0 ? columns[nameColumn].header : nameOf(Field::txtComputer);
            const QString computer = output.fields.txtComputer;
            name = computer.isEmpty()  ? QString()
                   : templ.place.image ? computer + QStringLiteral(".img")
                                       : computer + u'/' + QLatin1String(kSettingsFileInImage);
        }
        const Result<QString> inside = outputInside(name);
        if (!inside.ok()) {
            bad.add(output.row, output.column,
                    outputColumn < 0 && name.isEmpty()
                        ? QStringLiteral("the computer name is empty, so the output has no "
                                         "name (an OUTPUT column can give one)")
                        : inside.failure().reason);
            continue;
        }
        output.shown = QDir::toNativeSeparators(folder + inside.value());
        output.path = QDir(request.outputFolder).filePath(inside.value());
        if (const auto earlier = taken.constFind(inside.value()); earlier != taken.constEnd()) {
            bad.add(output.row, output.column,
                    QStringLiteral("row %1 writes %2 already").arg(*earlier).arg(output.shown));
            continue;
        }
        taken.insert(inside.value(), output.row);

        const QFileInfo info(output.path);
        output.exists = info.exists() || info.isSymLink();
        const QString real = canonical(output.path);
        if (output.exists && !real.isEmpty() && (real == templatePath || real == tablePath)) {
            bad.add(output.row, output.column,
                    QStringLiteral("%1 is the %2")
                        .arg(output.shown, real == templatePath ? QStringLiteral("template")
                                                                : QStringLiteral("table")));
        } else if (output.exists && !request.force) {
            bad.add(output.row, output.column,
                    QStringLiteral("%1 exists already (--force replaces it)").arg(output.shown));
        } else if (output.exists && info.exists() && !info.isFile()) {
            bad.add(output.row, output.column,
                    QStringLiteral("%1 exists and is not a file").arg(output.shown));
        } else if (const std::optional<QString> file = blockingFile(output.path)) {
            bad.add(output.row, output.column,
                    QStringLiteral("%1 cannot be made: %2 is a file, not a folder")
                        .arg(output.shown, QDir::toNativeSeparators(*file)));
        } else {
            planned.append(output);
        }
    }
    return planned;
}

// A copy of the template with the row's settings file, at the output.
Result<> writeImage(const Template& templ, const RowOutput& output, ProcessRunner& processes)
{
    if (!output.exists) {
        if (Result<> made = writeNewFile(output.path, templ.image, templ.imageRuns); !made.ok())
            return made;
        Result<> written = writeSettingsIntoFreshImage(processes, output.path, output.file);
        if (!written.ok())
            QFile::remove(output.path);
        return written;
    }
    // An image that exists is replaced as any saved file is, from a whole new one.
    QTemporaryDir work;
    if (!work.isValid())
        return Failure{QStringLiteral("cannot write %1: no room for a working copy: %2")
                           .arg(output.shown, work.errorString())};
    const QString copy = work.filePath(QStringLiteral("image"));
    if (Result<> made = writeNewFile(copy, templ.image, templ.imageRuns); !made.ok())
        return made;
    if (Result<> written = writeSettingsIntoFreshImage(processes, copy, output.file);
        !written.ok()) {
        // Named by the output, not by the working copy nobody will look for.
        QString reason = written.failure().reason;
        return Failure{
            reason.replace(settingsFileInImage(copy), settingsFileInImage(output.shown))};
    }
    const Result<QByteArray> bytes = readFileStart(copy, kMaxImageBytes + 1);
    if (!bytes.ok())
        return Failure{QStringLiteral("cannot write %1: the working copy could not be read back")
                           .arg(output.shown)};
    return writeWholeFile(output.path, bytes.value(), output.shown);
}

Result<> writeOutput(const Template& templ, const RowOutput& output, ProcessRunner& processes)
{
    const QString folder = QFileInfo(output.path).path();
    if (!QDir().mkpath(folder)) {
        return Failure{
            QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(folder))};
    }
    if (templ.place.image)
        return writeImage(templ, output, processes);
    if (output.exists)
        return writeWholeFile(output.path, output.file, output.shown);
    return writeNewFile(output.path, output.file, {{0, output.file.size()}});
}

} // namespace

int runBatch(const BatchRequest& request, ProcessRunner& processes)
{
    const Result<Template> templ = readTemplate(request.templatePath, processes);
    if (!templ.ok()) {
        printMessage(templ.failure().reason);
        return kDataFailed;
    }
    const Result<QList<CsvRow>> table = readTable(request.tablePath);
    if (!table.ok()) {
        printMessage(table.failure().reason);
        return kDataFailed;
    }

    Complaints complaints;
    const QList<RowOutput> outputs = planOutputs(templ.value(), table.value(), request, complaints);
    if (!complaints.isEmpty()) {
        const QStringList bad = complaints.lines();
        for (const QString& line : bad.first(qMin(bad.size(), qsizetype(kMostBadRowsShown))))
            printMessage(line);
        if (bad.size() > kMostBadRowsShown)
            printMessage(
                QStringLiteral("%1 more complaints not shown").arg(bad.size() - kMostBadRowsShown));
        printMessage(QStringLiteral("nothing was written"));
        return kDataFailed;
    }

    if (!QDir().mkpath(request.outputFolder)) {
        printMessage(QStringLiteral("cannot make the folder %1")
                         .arg(QDir::toNativeSeparators(request.outputFolder)));
        return kDataFailed;
    }
    const bool progress = messagesGoToTerminal();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qsizetype written = 0;
    for (const RowOutput& output : outputs) {
        if (progress && sinceProgress.elapsed() >= 100) {
            showProgress(
                QStringLiteral("useropts: %1 of %2 written").arg(written).arg(outputs.size()));
            sinceProgress.restart();
        }
        if (Result<> done = writeOutput(templ.value(), output, processes); !done.ok()) {
            printMessage(QStringLiteral("row %1: %2 (%3 of %4 written before it)")
                             .arg(output.row)
                             .arg(done.failure().reason)
                             .arg(written)
                             .arg(outputs.size()));
            return kDataFailed;
        }
        ++written;
        for (const QString& caution : cautionsFor(output.file))
            printMessage(QStringLiteral("row %1: %2").arg(output.row).arg(caution));
    }
    if (Result<> flushed = flushFileSystem(request.outputFolder); !flushed.ok()) {
        printMessage(flushed.failure().reason);
        return kDataFailed;
    }
    showProgress({});
    printData(QStringLiteral("%1 written to %2\n").arg(written).arg(request.outputFolder));
    return kDone;
}

} // namespace useropts
