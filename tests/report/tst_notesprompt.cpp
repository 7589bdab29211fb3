#include "ui/QtPlatformServices.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

using namespace useropts;

namespace {

const QString kTitle = QStringLiteral("Print\r\reg: Settings for site XYZ, etc");

struct SeenPrompt
{
    QString windowTitle;
    QString label;
    QString entry;
};

QInputDialog* visiblePrompt()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QInputDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

} // namespace

// The real prompt, answered from a timer while it is up: what a person reads
// in it, and what each way of closing it gives back.
class NotesPromptTest : public QObject
{
    Q_OBJECT

  private slots:
    void promptShowsEveryLineAndReturnsTheAnswer_data();
    void promptShowsEveryLineAndReturnsTheAnswer();
};

void NotesPromptTest::promptShowsEveryLineAndReturnsTheAnswer_data()
{
    QTest::addColumn<QString>("typed"); // empty: leave the default answer
    QTest::addColumn<bool>("accept");
    QTest::addColumn<std::optional<QString>>("expected");
    QTest::newRow("default answer accepted")
        << QString() << true
        << std::optional<QString>(QStringLiteral("Filename: C:\\USEROPTS.BAT"));
    QTest::newRow("own text accepted")
        << QStringLiteral("Settings for site XYZ") << true
        << std::optional<QString>(QStringLiteral("Settings for site XYZ"));
    QTest::newRow("cancelled") << QStringLiteral("thrown away") << false
                               << std::optional<QString>();
}

void NotesPromptTest::promptShowsEveryLineAndReturnsTheAnswer()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(std::optional<QString>, expected);

    std::optional<SeenPrompt> seen;
    QTimer answerer;
    answerer.setInterval(10);
    connect(&answerer, &QTimer::timeout, this, [&] {
        QInputDialog* dialog = visiblePrompt();
        if (!dialog)
            return;
        answerer.stop();
        auto* label = dialog->findChild<QLabel*>();
        auto* entry = dialog->findChild<QLineEdit*>();
        seen = SeenPrompt{dialog->windowTitle(), label ? label->text() : QString(),
                          entry ? entry->text() : QString()};
        if (entry && !typed.isEmpty())
            entry->setText(typed);
        accept ? dialog->accept() : dialog->reject();
    });
    answerer.start();
    // Should the prompt never be found, it must still not hang the run.
    QTimer::singleShot(5000, this, [] {
        if (QInputDialog* dialog = visiblePrompt())
            dialog->reject();
    });

    QtPlatformServices platform;
    const std::optional<QString> answer =
        platform.promptText(nullptr, {QStringLiteral("Notes to add to print-out:"), kTitle,
                                      QStringLiteral("Filename: C:\\USEROPTS.BAT")});

    QVERIFY2(seen.has_value(), "the prompt never appeared");
    QCOMPARE(seen->windowTitle, QStringLiteral("Print"));
    QVERIFY2(seen->label.contains(QStringLiteral("Notes to add to print-out:")),
             qPrintable(seen->label));
    QVERIFY2(seen->label.contains(QStringLiteral("eg: Settings for site XYZ, etc")),
             qPrintable(seen->label));
    QVERIFY(!seen->label.contains(u'\r'));
    QCOMPARE(seen->entry, QStringLiteral("Filename: C:\\USEROPTS.BAT"));
    QCOMPARE(answer, expected);
}

QTEST_MAIN(NotesPromptTest)
#include "tst_notesprompt.moc"
