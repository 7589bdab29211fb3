// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/Console.h"
#include "common/ProgramVersion.h"
#include "files/TemporaryFiles.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    useropts::removeTemporariesOnSignals();
    if (const useropts::Result<> text = useropts::argumentsAreText(argc, argv); !text.ok()) {
        useropts::printMessage(text.failure().reason);
        return useropts::kMisused;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("useropts"));
    QCoreApplication::setApplicationVersion(useropts::programVersion());
    useropts::SystemProcessRunner processes;
    return useropts::runCommandLine(QCoreApplication::arguments(), processes);
}
