#include "cli/Commands.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("useropts"));
    QCoreApplication::setApplicationVersion(QStringLiteral(USEROPTS_VERSION));
    useropts::SystemProcessRunner processes;
    return useropts::runCommandLine(QCoreApplication::arguments(), processes);
}
