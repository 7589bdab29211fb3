// SPDX-License-Identifier: GPL-3.0-or-later
#include "floppy/ProcessRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace useropts {

Result<ProcessOutput> SystemProcessRunner::run(const ProcessRun& run)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : run.environment)
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(environment);
    if (!run.workingDirectory.isEmpty())
        process.setWorkingDirectory(run.workingDirectory);
    process.start(run.program, run.arguments);
    if (!process.waitForStarted(static_cast<int>(run.timeLimit.count()))) {
        if (process.error() != QProcess::FailedToStart) {
            return Failure{QStringLiteral("%1 could not be started: %2")
                               .arg(run.program, process.errorString())};
        }
        QString reason =
            QStringLiteral("%1 is not installed or cannot be started").arg(run.program);
        if (!run.package.isEmpty())
            reason += QStringLiteral(" (%1 comes with the Debian package %2)")
                          .arg(run.program, run.package);
        return Failure{reason};
    }
    process.write(run.input);
    process.closeWriteChannel();
    if (!process.waitForFinished(static_cast<int>(run.timeLimit.count()))) {
        process.kill();
        process.waitForFinished(1000);
        return Failure{QStringLiteral("%1 did not finish within %2 seconds and was stopped")
                           .arg(run.program)
                           .arg(run.timeLimit.count() / 1000.0)};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return Failure{QStringLiteral("%1 crashed").arg(run.program)};
    return ProcessOutput{process.exitCode(), process.readAllStandardOutput(),
                         process.readAllStandardError()};
}

} // namespace useropts
