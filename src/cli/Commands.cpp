#include "cli/Commands.h"

#include "cli/Batch.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/TextForms.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"
#include "settings/DefaultSettings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace useropts {

namespace {

// "NAME=VALUE" from the command line.
struct Edit
{
    Field field;
    QString value;
};

QString wrapped(const QStringList& words, const QString& indent, int width)
{
    QString text;
    QString line = indent;
    for (const QString& word : words) {
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            text += line + u'\n';
            line = indent;
        }
        if (line.size() > indent.size())
            line += u' ';
        line += word;
    }
    return text + line;
}

QString description()
{
    return QStringLiteral(
               "Reads and changes USEROPTS.BAT, the settings file of a network boot floppy, as a\n"
               "file of its own or inside a FAT floppy image (told apart by their content).\n"
               "\n"
               "Commands:\n"
               "  show PATH [--json]\n"
               "      Print each setting as NAME=value, one a line, with control characters\n"
               "      and backslashes as C escapes; with --json, as one JSON object.\n"
               "  set PATH NAME=VALUE...\n"
               "      Change the settings named and save the file as the editor saves it.\n"
               "  new PATH [--force] [NAME=VALUE...]\n"
               "      Write a new file from the built-in defaults, or put one into an existing\n"
               "      floppy image. An existing file, or an image's USEROPTS.BAT, is replaced\n"
               "      only with --force.\n"
               "  batch [--force] TEMPLATE TABLE.csv OUTDIR\n"
               "      Write one file or image for each row of a table, starting from TEMPLATE.\n"
               "      The first row names the settings and, if wanted, OUTPUT: the name of\n"
               "      each output in OUTDIR, by default WKSTN/USEROPTS.BAT, or WKSTN.img from\n"
               "      an image. Nothing is written while any row is bad.\n"
               "\n"
               "Names, in any letter case:\n"
               "%1\n"
               "Values are as the editor shows them: the password in clear, addresses with\n"
               "dots, NETCARD as the card's text; a choice is 0 or 1, REDIRECTOR is BASIC or\n"
               "FULL.\n"
               "\n"
               "Exit status: 0 done; 1 a problem with the data (a file that cannot be read\n"
               "whole, a value the file cannot hold, a bad row, an output that exists, a failed\n"
               "write); 2 a misuse of the command line.\n"
               "\n"
               "The password is not encrypted: anyone who can read USEROPTS.BAT can recover it.")
        .arg(wrapped(allSettingNames(), QStringLiteral("  "), 79));
}

int misused(const QString& reason)
{
    printMessage(reason);
    printNote(QStringLiteral("Try 'useropts --help' for the commands and the setting names."));
    return kMisused;
}

int failed(const Failure& failure)
{
    printMessage(failure.reason);
    return kDataFailed;
}

// The settings named on the command line; a choice must be one of its two values.
Result<QList<Edit>> parseEdits(const QStringList& arguments)
{
    QList<Edit> edits;
    for (const QString& argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals < 0)
            return Failure{QStringLiteral("'%1' is not NAME=VALUE").arg(escapedValue(argument))};
        const QString name = argument.left(equals);
        const std::optional<Field> field = fieldNamed(name);
        if (!field)
            return Failure{
                QStringLiteral("there is no setting named '%1'").arg(escapedValue(name))};
        for (const Edit& earlier : edits) {
            if (earlier.field == *field)
                return Failure{QStringLiteral("%1 is given twice").arg(nameOf(*field))};
        }
        const QString value = argument.mid(equals + 1);
        EditorFields scratch;
        if (Result<> valid = setShownValue(scratch, *field, value); !valid.ok())
            return valid.failure();
        edits.append({*field, value});
    }
    return edits;
}

void apply(const QList<Edit>& edits, EditorFields& fields)
{
    for (const Edit& edit : edits)
        (void)setShownValue(fields, edit.field, edit.value); // checked when parsed
}

void printCautions(const QByteArray& file)
{
    for (const QString& caution : cautionsFor(file))
        printMessage(caution);
}

int show(const QString& path, bool json, ProcessRunner& processes)
{
    const Result<SettingsPlace> place = placeToRead(path);
    if (!place.ok())
        return failed(place.failure());
    const OpenedSettings opened = openSettings(processes, place.value());

    QString out;
    const auto& fields = allFields();
    for (int i = 0; i < opened.settingsRead; ++i) {
        const Field field = fields[std::size_t(i)];
        const QString value = shownValue(opened.fields, field);
        if (json) {
            out += QStringLiteral("%1  %2: %3")
                       .arg(i == 0 ? QStringLiteral("{\n") : QStringLiteral(",\n"),
                            jsonString(nameOf(field)), jsonString(value));
        } else {
            out += QStringLiteral("%1=%2\n").arg(nameOf(field), escapedValue(value));
        }
    }
    if (json)
        out += opened.settingsRead == 0 ? QStringLiteral("{}\n") : QStringLiteral("\n}\n");
    printData(out);
    if (!dataWrittenWhole())
        return failed(Failure{QStringLiteral("the settings could not be written to standard "
                                             "output")});
    if (opened.failure)
        return failed(*opened.failure);
    return kDone;
}

int set(const QString& path, const QList<Edit>& edits, ProcessRunner& processes)
{
    const Result<SettingsPlace> place = placeToRead(path);
    if (!place.ok())
        return failed(place.failure());
    OpenedSettings opened = openSettings(processes, place.value());
    // Saving what was read of a file that stops early would lose the rest.
    if (opened.failure)
        return failed(*opened.failure);
    apply(edits, opened.fields);
    const Result<QByteArray> file = buildSettingsFile(opened.fields);
    if (!file.ok())
        return failed(file.failure());
    if (Result<> saved = writeSettingsBytes(processes, place.value(), file.value()); !saved.ok())
        return failed(saved.failure());
    printCautions(file.value());
    return kDone;
}

int create(const QString& path, bool force, const QList<Edit>& edits, ProcessRunner& processes)
{
    EditorFields fields = defaultSettings();
    apply(edits, fields);
    const Result<QByteArray> file = buildSettingsFile(fields);
    if (!file.ok())
        return failed(file.failure());

    const QString shown = QDir::toNativeSeparators(path);
    SettingsPlace place{path, false};
    if (QFileInfo::exists(path)) {
        const Result<SettingsPlace> found = placeToRead(path);
        if (!found.ok())
            return failed(found.failure());
        place = found.value();
        if (place.image && !force) {
            const Result<bool> holds = imageHoldsSettings(processes, path);
            if (!holds.ok())
                return failed(Failure{
                    QStringLiteral("cannot read %1: %2").arg(shown, holds.failure().reason)});
            if (holds.value())
                return failed(Failure{QStringLiteral("%1 holds a %2 already (--force replaces it)")
                                          .arg(shown, QLatin1String(kSettingsFileInImage))});
        } else if (!place.image && !force) {
            return failed(
                Failure{QStringLiteral("%1 exists already (--force replaces it)").arg(shown)});
        }
    } else if (namedLikeFloppyImage(path)) {
        // A settings file under an image's name would pass for a broken image.
        return failed(Failure{QStringLiteral("%1 does not exist, and new makes no floppy images "
                                             "(mkfs.fat makes an empty one)")
                                  .arg(shown)});
    }
    if (Result<> saved = writeSettingsBytes(processes, place, file.value()); !saved.ok())
        return failed(saved.failure());
    printCautions(file.value());
    return kDone;
}

} // namespace

Result<> argumentsAreText(int argc, const char* const argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView bytes(argv[i]);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(bytes); // decoding happens here, not before
        Q_UNUSED(decoded);
        if (!decoder.hasError())
            continue;
        QString shown;
        for (const char c : bytes) {
            const auto code = static_cast<unsigned char>(c);
            shown += code >= 0x20 && code < 0x7F
                         ? QString(QChar(code))
                         : QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        }
        return Failure{QStringLiteral("argument %1 ('%2') is not UTF-8 text, so the file it "
                                      "names could not be found again; rename the file")
                           .arg(i)
                           .arg(shown)};
    }
    return {};
}

int runCommandLine(const QStringList& arguments, ProcessRunner& processes)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("show: print one JSON object of strings."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("new, batch: replace what exists already."));
    parser.addOption(json);
    parser.addOption(force);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("show, set, new or batch, and its arguments."),
                                 QStringLiteral("COMMAND ..."));
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& name = unknown.first();
            return misused(
                QStringLiteral("there is no option %1%2")
                    .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
        }
        QString why = parser.errorText(); // "Unexpected value after '--json'."
        if (!why.isEmpty())
            why[0] = why[0].toLower();
        if (why.endsWith(u'.'))
            why.chop(1);
        return misused(why);
    }
    if (parser.isSet(help))
        parser.showHelp(kDone);
    if (parser.isSet(version))
        parser.showVersion();

    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return misused(QStringLiteral("no command given"));
    const QString command = rest.takeFirst();
    const bool allowsJson = command == QLatin1String("show");
    const bool allowsForce = command == QLatin1String("new") || command == QLatin1String("batch");
    if (command != QLatin1String("set") && !allowsJson && !allowsForce)
        return misused(QStringLiteral("there is no command '%1'").arg(escapedValue(command)));
    if (parser.isSet(json) && !allowsJson)
        return misused(QStringLiteral("--json is an option of show only"));
    if (parser.isSet(force) && !allowsForce)
        return misused(QStringLiteral("--force is an option of new and batch only"));

    if (command == QLatin1String("batch")) {
        if (rest.size() != 3)
            return misused(QStringLiteral("batch takes TEMPLATE TABLE.csv OUTDIR"));
        return runBatch({rest[0], rest[1], rest[2], parser.isSet(force)}, processes);
    }
    if (rest.isEmpty())
        return misused(QStringLiteral("%1 needs the PATH of a USEROPTS.BAT or a floppy image")
                           .arg(escapedValue(command)));
    const QString path = rest.takeFirst();
    if (command == QLatin1String("show")) {
        if (!rest.isEmpty())
            return misused(QStringLiteral("show takes one PATH"));
        return show(path, parser.isSet(json), processes);
    }
    const Result<QList<Edit>> edits = parseEdits(rest);
    if (!edits.ok())
        return misused(edits.failure().reason);
    if (command == QLatin1String("set")) {
        if (edits.value().isEmpty())
            return misused(QStringLiteral("set needs at least one NAME=VALUE"));
        return set(path, edits.value(), processes);
    }
    return create(path, parser.isSet(force), edits.value(), processes);
}

} // namespace useropts
