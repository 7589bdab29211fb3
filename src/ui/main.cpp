#include "ui/ProgramVersion.h"
#include "ui/QtPlatformServices.h"
#include "ui/frmEditor.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("User Options Editor"));
    QApplication::setApplicationVersion(useropts::programVersion());

    useropts::QtPlatformServices platform;
    useropts::frmEditor editor(platform);
    editor.Form_Load();
    return app.exec();
}
