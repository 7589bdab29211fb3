#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("User Options Editor"));
    placeholder.setWindowTitle(QStringLiteral("User Options Editor"));
    placeholder.resize(649, 534);
    placeholder.show();
    return app.exec();
}
