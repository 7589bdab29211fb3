// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CardFile.h"
#include "common/ProgramVersion.h"
#include "files/TemporaryFiles.h"
#include "ui/QtPlatformServices.h"
#include "ui/frmEditor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

namespace {

// An installed copy finds the list shipped with it in its data folder; a
// copy run from a folder of its own (the build folder, a portable copy) has
// none there and keeps its list beside the program.
useropts::CardPlaces cardPlaces()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString shipped =
        QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(USEROPTS_DATA_FROM_PROGRAM)));
    if (!QFileInfo(shipped).isDir())
        return {programFolder, {}};
    return {QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), shipped};
}

// --help and --version must answer where no display can be had, so they are
// looked for before the application opens one.
bool asksOnlyForHelpOrVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-?", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Edits the USEROPTS.BAT settings file of a network boot floppy."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The USEROPTS.BAT to open instead of asking."),
                                 QStringLiteral("[FILE]"));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("corvane.example"));
    QCoreApplication::setApplicationName(QStringLiteral("useropts-editor"));
    QCoreApplication::setApplicationVersion(useropts::programVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.UserOptionsEditor"));

    if (asksOnlyForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        describe(parser);
        parser.process(app); // prints and ends the program
    }

    useropts::removeTemporariesOnSignals();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("useropts-editor: give at most one file to open\n", stderr);
        return 2;
    }

    useropts::QtPlatformServices platform;
    useropts::frmEditor editor(platform);
    editor.setCardPlaces(cardPlaces());
    editor.Form_Load(files.isEmpty()
                         ? QString()
                         : QDir::toNativeSeparators(QFileInfo(files.first()).absoluteFilePath()));
    return app.exec();
}
