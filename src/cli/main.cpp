#include "cli/Commands.h"
#include "files/TemporaryFiles.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    useropts::removeTemporariesOnSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("useropts"));
    QCoreApplication::setApplicationVersion(QStringLiteral(USEROPTS_VERSION));
    useropts::SystemProcessRunner processes;
    return useropts::runCommandLine(QCoreApplication::arguments(), processes);
}
