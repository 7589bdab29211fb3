// SPDX-License-Identifier: GPL-3.0-or-later
// A whole start-up as a process, for timing and peak memory against the
// smallest Qt program that shows some text, both quitting as soon as the
// event loop runs:
//   startup_probe label    application object, one label with text
//   startup_probe editor   application object, the editor window with a
//                          Cancel at the open dialog, Form_Load
//   startup_probe editor PATH   the same, opening PATH at the open dialog
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool editor = argc > 1 && std::strcmp(argv[1], "editor") == 0;

    useropts::testing::ScriptedPlatform platform; // nothing queued: Cancel
    if (editor && argc > 2)
        platform.openAnswers.enqueue(QString::fromLocal8Bit(argv[2]));
    std::unique_ptr<QWidget> window;
    if (editor) {
        auto form = std::make_unique<useropts::frmEditor>(platform);
        form->Form_Load();
        window = std::move(form);
    } else {
        window = std::make_unique<QLabel>(QStringLiteral("User Options Editor"));
        window->show();
    }
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
