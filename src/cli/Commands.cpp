// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"

#include "cli/Apply.h"
#include "cli/Batch.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/Tables.h"
#include "cli/TextForms.h"

#include <QCommandLineParser>
#include <QStringDecoder>

namespace useropts {

namespace {

// Enough to see what is wrong with a table, not a screenful of the same.
constexpr int kMostBadRowsShown = 20;

// The options a subcommand may take.
enum Option : unsigned
{
    kJson = 1,
    kForce = 2,
    kStrict = 4,
    kDryRun = 8,
    kEncoding = 16,
};

constexpr const char* kOptionNames[] = {"json", "force", "strict", "dry-run", "encoding"};

struct Subcommand
{
    const char* name;
    const char* usage;   // after "useropts "
    const char* summary; // lines of the help, each indented by six
    const char* example;
    unsigned options;
    int leastArguments;
    int mostArguments; // -1: no limit
    int (*run)(const Invocation& call, ProcessRunner& processes);
};

// Every subcommand: its usage, help and example, the options it takes and
// how many arguments. --help and the misuse messages are made from here.
// clang-format off
constexpr Subcommand kSubcommands[] = {
    {"show", "show PATH [NAME...] [--json]",
     "Print each setting as NAME=value, one a line, or with names the values of\n"
     "those settings alone, in the order named; control characters and\n"
     "backslashes as C escapes. With --json, one JSON object of strings.\n"
     "The computer name is shown as the file holds it.",
     "useropts show site.img USERNAME WKSTN", kJson, 1, -1, runShow},
    {"set", "set PATH NAME=VALUE... [--strict]",
     "Change the settings named. Only their lines change; every other byte of the\n"
     "file stays as it was.",
     "useropts set USEROPTS.BAT USERNAME=jdoe DISABLEDHCP=1 IPADDRESS0=10.0.0.21", kStrict, 1, -1,
     runSet},
    {"new", "new PATH [NAME=VALUE...] [--force] [--strict]",
     "Write a new file from the built-in defaults, or put one into an existing\n"
     "floppy image. An existing file, or an image's USEROPTS.BAT, is replaced\n"
     "only with --force.",
     "useropts new site.img WORKGROUP=LAB", kForce | kStrict, 1, -1, runNew},
    {"check", "check PATH... [--json]",
     "Print what will not work when the floppy boots, as PATH: NAME: text, one a\n"
     "line; nothing for a file without a caution. With --json, an array of\n"
     "{\"path\", \"cautions\": [{\"name\", \"text\"}]} objects.",
     "useropts check out/*.img", kJson, 1, -1, runCheck},
    {"export", "export PATH...",
     "Print one table of the files and images named: PATH and the twenty names,\n"
     "then a row for each file with its values as show prints them (CSV, UTF-8).",
     "useropts export out/*.img > room.csv", 0, 1, -1, runExport},
    {"apply", "apply TABLE.csv [--strict] [--dry-run] [--encoding ENC]",
     "Update the files and images a table names in its PATH column (relative to\n"
     "the table's folder) with its other columns, each as set changes it. A file\n"
     "whose values are those of its row already is left untouched.",
     "useropts apply room.csv", kStrict | kDryRun | kEncoding, 1, 1, runApplyCommand},
    {"batch", "batch TEMPLATE TABLE.csv OUTDIR [--force] [--strict] [--dry-run] [--encoding ENC]",
     "Write one file or image for each row of a table, starting from TEMPLATE.\n"
     "The first row names the settings and, if wanted, OUTPUT: the name of each\n"
     "output in OUTDIR, by default WKSTN/USEROPTS.BAT, or WKSTN.img from an image.",
     "useropts batch site.img rooms.csv out/", kForce | kStrict | kDryRun | kEncoding, 3, 3,
     runBatchCommand},
};
// clang-format on

const Subcommand* subcommandNamed(const QString& name)
{
    for (const Subcommand& command : kSubcommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

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
    QString commands;
    for (const Subcommand& command : kSubcommands) {
        commands += QStringLiteral("  %1\n").arg(QLatin1String(command.usage));
        for (const QString& line : QString::fromLatin1(command.summary).split(u'\n'))
            commands += QStringLiteral("      %1\n").arg(line);
        commands += QStringLiteral("      e.g. %1\n").arg(QLatin1String(command.example));
    }
    return QStringLiteral(
               "Reads and changes USEROPTS.BAT, the settings file of a network boot floppy, as a\n"
               "file of its own or inside a FAT floppy image (told apart by their content).\n"
               "\n"
               "Commands:\n"
               "%1"
               "\n"
               "Options: --json, --force, --strict (any caution of what will not work at boot\n"
               "refuses the file or row: nothing is written), --dry-run (say what would be\n"
               "written, write nothing), --encoding windows-1252 (a table saved in the Windows\n"
               "code page; tables are UTF-8 otherwise). A table's cells are separated by\n"
               "commas, semicolons or tabs, whichever stands between the names of its first\n"
               "row; a column whose name begins with # is a note and is left alone.\n"
               "\n"
               "Names, in any letter case:\n"
               "%2\n"
               "Values are as the editor shows them: the password in clear, addresses with\n"
               "dots, NETCARD as the card's text; a choice is 0 or 1, REDIRECTOR is BASIC or\n"
               "FULL.\n"
               "\n"
               "Exit status: 0 done; 1 a problem with the data (a file that cannot be read\n"
               "whole, a value the file cannot hold, a bad row, an output that exists, a failed\n"
               "write, a caution from check or with --strict); 2 a misuse of the command line.\n"
               "\n"
               "The password is not encrypted: anyone who can read USEROPTS.BAT can recover it.")
        .arg(commands, wrapped(allSettingNames(), QStringLiteral("  "), 79));
}

// "TEMPLATE TABLE.csv OUTDIR": the usage without the name and the options.
QString argumentsOf(const Subcommand& command)
{
    QStringList words = QString::fromLatin1(command.usage).split(u' ').mid(1);
    words.removeIf([](const QString& word) {
        return word.startsWith(QStringLiteral("[--")) || word == QStringLiteral("ENC]");
    });
    return words.join(u' ');
}

// "--json is an option of show and check only"
QString optionMisplaced(unsigned option, const char* name)
{
    QStringList takers;
    for (const Subcommand& command : kSubcommands) {
        if (command.options & option)
            takers << QLatin1String(command.name);
    }
    const QString last = takers.takeLast();
    return QStringLiteral("--%1 is an option of %2 only")
        .arg(QLatin1String(name),
             takers.isEmpty() ? last
                              : takers.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last);
}

Result<std::optional<TableEncoding>> encodingNamed(const QString& name)
{
    if (name.compare(u"windows-1252", Qt::CaseInsensitive) == 0 ||
        name.compare(u"cp1252", Qt::CaseInsensitive) == 0)
        return std::optional<TableEncoding>(TableEncoding::Windows1252);
    if (name.compare(u"utf-8", Qt::CaseInsensitive) == 0 ||
        name.compare(u"utf8", Qt::CaseInsensitive) == 0)
        return std::optional<TableEncoding>(TableEncoding::Utf8);
    return Failure{QStringLiteral("there is no encoding '%1' (windows-1252 or utf-8)")
                       .arg(escapedValue(name))};
}

int parseFailed(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return misused(QStringLiteral("there is no option %1%2")
                           .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                escapedValue(name)));
    }
    QString why = parser.errorText(); // "Unexpected value after '--json'."
    if (!why.isEmpty())
        why[0] = why[0].toLower();
    if (why.endsWith(u'.'))
        why.chop(1);
    return misused(why);
}

} // namespace

int misused(const QString& reason)
{
    printMessage(reason);
    printNote(QStringLiteral("Try 'useropts --help' for the commands and the setting names."));
    return kMisused;
}

int failed(const QString& message)
{
    printMessage(message);
    return kDataFailed;
}

int refused(const Complaints& complaints)
{
    const QStringList bad = complaints.lines();
    for (const QString& line : bad.first(qMin(bad.size(), qsizetype(kMostBadRowsShown))))
        printMessage(line);
    if (bad.size() > kMostBadRowsShown)
        printMessage(
            QStringLiteral("%1 more complaints not shown").arg(bad.size() - kMostBadRowsShown));
    printMessage(QStringLiteral("nothing was written"));
    return kDataFailed;
}

void printRowCautions(int row, const QByteArray& file)
{
    for (const QString& caution : cautionsFor(file))
        printMessage(QStringLiteral("row %1: %2").arg(row).arg(caution));
}

QString plannedChange(const QString& shown, const QList<Field>& changed, const QString& unchanged)
{
    QStringList names;
    for (const Field field : changed)
        names << nameOf(field);
    return QStringLiteral("%1: %2\n")
        .arg(escapedControls(shown), names.isEmpty() ? unchanged : names.join(u", "));
}

int runApplyCommand(const Invocation& call, ProcessRunner& processes)
{
    return runApply({call.arguments.first(), call.strict, call.dryRun, call.encoding}, processes);
}

int runBatchCommand(const Invocation& call, ProcessRunner& processes)
{
    return runBatch({call.arguments[0], call.arguments[1], call.arguments[2], call.force,
                     call.strict, call.dryRun, call.encoding},
                    processes);
}

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
    QList<QCommandLineOption> options;
    for (const char* name : kOptionNames) {
        QCommandLineOption option(QString::fromLatin1(name));
        if (QLatin1String(name) == QLatin1String("encoding"))
            option.setValueName(QStringLiteral("ENC"));
        parser.addOption(option);
        options.append(option);
    }
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("One of the commands above, and its arguments."),
                                 QStringLiteral("COMMAND ..."));
    if (!parser.parse(arguments))
        return parseFailed(parser);
    if (parser.isSet(help))
        parser.showHelp(kDone);
    if (parser.isSet(version))
        parser.showVersion();

    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return misused(QStringLiteral("no command given"));
    const Subcommand* command = subcommandNamed(rest.first());
    if (!command)
        return misused(QStringLiteral("there is no command '%1'").arg(escapedValue(rest.first())));
    rest.removeFirst();
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (parser.isSet(options[i]) && !(command->options & (1u << i)))
            return misused(optionMisplaced(1u << i, kOptionNames[i]));
    }
    if (rest.size() < command->leastArguments ||
        (command->mostArguments >= 0 && rest.size() > command->mostArguments))
        return misused(
            QStringLiteral("%1 takes %2").arg(QLatin1String(command->name), argumentsOf(*command)));

    Invocation call;
    call.arguments = rest;
    call.json = parser.isSet(options[0]);
    call.force = parser.isSet(options[1]);
    call.strict = parser.isSet(options[2]);
    call.dryRun = parser.isSet(options[3]);
    if (parser.isSet(options[4])) {
        const auto encoding = encodingNamed(parser.value(options[4]));
        if (!encoding.ok())
            return misused(encoding.failure().reason);
        call.encoding = encoding.value();
    }
    return command->run(call, processes);
}

} // namespace useropts
