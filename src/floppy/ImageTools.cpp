// SPDX-License-Identifier: GPL-3.0-or-later
#include "floppy/ImageTools.h"

#include "files/NewFiles.h"
#include "floppy/FatLayout.h"
#include "floppy/FloppyImage.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace useropts {

namespace {

constexpr char kImageName[] = "image";

QString fileInImage()
{
    return QStringLiteral("::") + QLatin1String(kSettingsFileInImage);
}

// A line of a tool's output fit for a message: no control character of the
// image's file names reaches the terminal.
QString printable(QString line)
{
    for (QChar& c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return line.trimmed();
}

QString firstLine(const QByteArray& text)
{
    return printable(QString::fromLocal8Bit(text.trimmed().split('\n').value(0)));
}

// What went wrong as the tool says it, or, where it says nothing, how it ended.
QString whyFailed(const ProcessRun& run, const ProcessOutput& out)
{
    const QString said = firstLine(out.standardError);
    if (!said.isEmpty())
        return said;
    return QStringLiteral("%1 ended with exit code %2 and gave no reason")
        .arg(run.program)
        .arg(out.exitCode);
}

ProcessRun toolRun(const ImageFolder& folder, const QString& program, const QString& package,
                   QStringList arguments, QByteArray input = {})
{
    ProcessRun run;
    run.program = program;
    run.arguments = std::move(arguments);
    run.input = std::move(input);
    run.workingDirectory = folder.path();
    run.package = package;
    return run;
}

// mtools reads its own settings and may refuse an image whose size does not
// match a classic drive's geometry; neither has any bearing here.
ProcessRun mtoolsRun(const ImageFolder& folder, const QString& program, QStringList arguments,
                     QByteArray input = {})
{
    arguments.prepend(QLatin1String(kImageName));
    arguments.prepend(QStringLiteral("-i"));
    ProcessRun run =
        toolRun(folder, program, QStringLiteral("mtools"), std::move(arguments), std::move(input));
    run.environment = {QStringLiteral("MTOOLS_SKIP_CHECK=1")};
    return run;
}

// What fsck.fat reports first, on one line ("/USEROPTS.BAT: Contains a free
// cluster (200)"), and how many other findings follow. Its output starts
// with its version and ends with what it left alone and a count of files.
std::pair<QString, int> firstFinding(const QByteArray& output)
{
    const QStringList lines = QString::fromLocal8Bit(output).split(u'\n');
    QString finding;
    int findings = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QLatin1String("Leaving filesystem unchanged")) ||
            line.startsWith(QLatin1String(kImageName) + u':'))
            break;
        if (line.trimmed().isEmpty())
            continue;
        const bool detail = line.startsWith(u' ');
        const QString sentence = printable(line).section(QStringLiteral(". "), 0, 0);
        if (!detail && ++findings == 1)
            finding = sentence;
        else if (detail && findings == 1 && finding.startsWith(u'/') && !finding.contains(u':'))
            finding += QStringLiteral(": ") + sentence;
    }
    if (finding.endsWith(u'.'))
        finding.chop(1);
    return {finding, qMax(findings - 1, 0)};
}

} // namespace

ImageFolder::ImageFolder()
{
    if (m_dir.isValid())
        m_dirOnSignal.emplace(m_dir.path());
}

ImageFolder::~ImageFolder()
{
    // Removed while a signal would still remove it.
    m_dir.remove();
}

Result<> ImageFolder::ready() const
{
    if (!m_dir.isValid())
        return Failure{QStringLiteral("no private folder could be made to work in: %1")
                           .arg(m_dir.errorString())};
    return {};
}

QString ImageFolder::path() const
{
    return m_dir.path();
}

QString ImageFolder::imagePath() const
{
    return m_dir.filePath(QLatin1String(kImageName));
}

Result<> ImageFolder::linkTo(const QString& path)
{
    if (Result<> made = ready(); !made.ok())
        return made;
    m_imageOnSignal.emplace(imagePath());
    if (!QFile::link(QFileInfo(path).absoluteFilePath(), imagePath()))
        return Failure{QStringLiteral("no link to it could be made to work through")};
    return {};
}

Result<> ImageFolder::copyOf(const QByteArray& image)
{
    if (Result<> made = ready(); !made.ok())
        return made;
    m_imageOnSignal.emplace(imagePath());
    if (Result<> copied = writeNewFile(imagePath(), image, dataRuns(image)); !copied.ok())
        return Failure{
            QStringLiteral("no room for a working copy: %1").arg(copied.failure().reason)};
    return {};
}

Result<> copySettingsIn(ProcessRunner& processes, const ImageFolder& folder,
                        const QByteArray& bytes)
{
    const ProcessRun run =
        mtoolsRun(folder, QStringLiteral("mcopy"),
                  {QStringLiteral("-o"), QStringLiteral("-"), fileInImage()}, bytes);
    const Result<ProcessOutput> copied = processes.run(run);
    if (!copied.ok())
        return copied.failure();
    // mcopy may end with exit code 0 after a short write on a full disk, so
    // whatever it says counts.
    const ProcessOutput& out = copied.value();
    if (out.exitCode == 0 && out.standardError.trimmed().isEmpty())
        return {};
    const QByteArray error = out.standardError.toLower();
    if (error.contains("disk full") || error.contains("no free cluster") ||
        error.contains("short write"))
        return Failure{QStringLiteral("the image is full")};
    if (error.contains("directory full") || error.contains("no directory slots"))
        return Failure{QStringLiteral("its root folder is full")};
    return Failure{QStringLiteral("mtools could not write into it: %1").arg(whyFailed(run, out))};
}

Result<> setSettingsAttributes(ProcessRunner& processes, const ImageFolder& folder,
                               quint8 attributes)
{
    QStringList arguments;
    for (const auto& [bit, letter] : {std::pair{kReadOnly, 'r'}, std::pair{kHidden, 'h'},
                                      std::pair{kSystem, 's'}, std::pair{kArchive, 'a'}})
        arguments << QString(QChar(attributes & bit ? u'+' : u'-')) + QLatin1Char(letter);
    arguments << fileInImage();
    const ProcessRun run = mtoolsRun(folder, QStringLiteral("mattrib"), arguments);
    const Result<ProcessOutput> set = processes.run(run);
    if (!set.ok())
        return set.failure();
    if (set.value().exitCode != 0 || !set.value().standardError.trimmed().isEmpty())
        return Failure{QStringLiteral("mtools could not give the file back its attributes: %1")
                           .arg(whyFailed(run, set.value()))};
    return {};
}

Result<> checkFileSystem(ProcessRunner& processes, const ImageFolder& folder)
{
    const ProcessRun run = toolRun(folder, QStringLiteral("fsck.fat"), QStringLiteral("dosfstools"),
                                   {QStringLiteral("-n"), QLatin1String(kImageName)});
    const Result<ProcessOutput> checked = processes.run(run);
    if (!checked.ok())
        return Failure{QStringLiteral("its file system could not be checked: %1")
                           .arg(checked.failure().reason)};
    const ProcessOutput& out = checked.value();
    if (out.exitCode == 0)
        return {};
    // Exit code 1 is damage found; anything else is a check that did not run.
    auto [finding, more] = firstFinding(out.standardOutput);
    if (out.exitCode != 1 || finding.isEmpty()) {
        finding = whyFailed(run, out);
        more = 0;
    }
    if (out.exitCode != 1)
        return Failure{QStringLiteral("its file system could not be checked: %1").arg(finding)};
    return Failure{
        QStringLiteral("its file system is damaged: fsck.fat -n finds \"%1\"%2; repair "
                       "it with fsck.fat -r, then try again")
            .arg(finding, more > 0 ? QStringLiteral(" and %1 more").arg(more) : QString())};
}

} // namespace useropts
