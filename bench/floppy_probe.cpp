// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the settings file inside a floppy image and saving it back, the
// way the window does both, timed over repeated rounds in one process:
//   floppy_probe IMAGE [ROUNDS]
// prints the median milliseconds of one open-and-save round.
#include "floppy/FloppyImage.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: floppy_probe IMAGE [ROUNDS]\n", stderr);
        return 2;
    }
    const QString image = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    useropts::SystemProcessRunner processes;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const useropts::Result<QByteArray> file = useropts::readSettingsFromImage(processes, image);
        useropts::EditorFields fields = useropts::defaultSettings();
        if (!file.ok() || !useropts::readSettings(file.value(), fields).ok())
            return 1;
        const useropts::Result<QByteArray> bytes = useropts::writeSettings(fields);
        if (!bytes.ok() || !useropts::writeSettingsIntoImage(processes, image, bytes.value()).ok())
            return 1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f\n", times[times.size() / 2]);
    return 0;
}
