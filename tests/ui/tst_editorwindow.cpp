// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DefaultSettings.h"
#include "settings/EditorFields.h"
#include "support/DiskTools.h"
#include "support/ScriptedPlatform.h"
#include "support/SettingsFiles.h"
#include "ui/EditorLayout.h"
#include "ui/QtPlatformServices.h"
#include "ui/frmEditor.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace useropts;
using namespace useropts::testing;

Q_DECLARE_METATYPE(useropts::EditorFields)

namespace {

const QStringList kAllAddresses = {"txtIP", "txtSubnet", "txtGateway", "txtDNS", "txtWINS"};
const QString kNotSaved = "Menu Settings have not been saved!";

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;

    QString pathOf(const QString& name) const { return m_dir->filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        return useropts::testing::writeFile(pathOf(name), bytes);
    }

    QStringList enabledStaticAddresses() const
    {
        QStringList enabled = kAllAddresses;
        enabled.removeIf([this](const QString& name) {
            return !m_window->findChild<QLineEdit*>(name)->isEnabled();
        });
        return enabled;
    }

    void open(const QString& path) { openThroughDialog(*m_platform, *m_window, path); }
    void save(const QString& path) { saveThroughDialog(*m_platform, *m_window, path); }

    // The tip on show, if any.
    static QLabel* shownTip()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* label = qobject_cast<QLabel*>(widget);
            if (label && label->isVisible() && label->windowType() == Qt::ToolTip)
                return label;
        }
        return nullptr;
    }

    void showActive()
    {
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

  private slots:
    void init()
    {
        // A fresh window on a fresh scripted desktop; the old window goes first.
        m_window.reset();
        m_platform = std::make_unique<ScriptedPlatform>();
        m_window = std::make_unique<frmEditor>(*m_platform);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void startupKeepsWhatAFileGives_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: the open dialog is cancelled
        QTest::addColumn<EditorFields>("expected");

        QTest::newRow("cancelled") << QByteArray() << defaultSettings();
        QTest::newRow("static addresses") << joinLines(kStaticLines) << kStaticFields;

        EditorFields noPassword = kStaticFields;
        noPassword.text(Field::Password).clear();
        QTest::newRow("user name without password")
            << joinLines(withLine(kStaticLines, 7, "::: PASSWORD=")) << noPassword;

        EditorFields noUser = kStaticFields;
        noUser.text(Field::UserName).clear();
        QTest::newRow("password without user name")
            << joinLines(withLine(kStaticLines, 6, "Set USERNAME=")) << noUser;

        QTest::newRow("neither user name nor password")
            << joinLines(withLine(withLine(kStaticLines, 6, "Set USERNAME="), 7, "::: PASSWORD="))
            << defaultSettings();
    }

    void startupKeepsWhatAFileGives()
    {
        QFETCH(QByteArray, file);
        QFETCH(EditorFields, expected);

        // A card list in place, so that start-up goes straight to the file.
        m_window->setCardDirectory(m_dir->path());
        writeFile("CardData.txt", "EL3C574           3Com 3C574 PC Card\r\n");
        const QString path = file.isNull() ? QString() : writeFile("USEROPTS.BAT", file);
        if (!file.isNull())
            m_platform->openAnswers.enqueue(path);
        m_window->Form_Load();

        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->findChild<QLabel*>("lblVersion")->text(),
                 QString("Editor Version 0.1.2"));
        QCOMPARE(m_platform->fileDialogs.size(), 1);
        QCOMPARE(m_platform->fileDialogs.first().request.title,
                 QString("Open USEROPTS.BAT to modify"));
        QCOMPARE(m_window->fields(), expected);
        QCOMPARE(enabledStaticAddresses(),
                 expected.choice(Field::DisableDhcp) == 1 ? kAllAddresses : QStringList());
        QVERIFY(m_platform->messages.isEmpty());
        // The next dialog offers the file that was opened.
        m_window->cmdOpen_Click();
        QCOMPARE(m_platform->fileDialogs.last().request.fileName, path);
        if (!file.isNull())
            QCOMPARE(contents(path), file); // opening never writes
    }

    // A file named on the command line is read instead of asking for one;
    // one that cannot be read is reported as from the dialog.
    void startupWithAFileArgument_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: read without a word
        QTest::newRow("a settings file") << "file" << QString();
        QTest::newRow("a folder") << "folder"
                                  << "It is a folder, not a regular file.";
        QTest::newRow("no such file") << "missing"
                                      << "It does not exist.";
    }

    void startupWithAFileArgument()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        m_window->setCardDirectory(m_dir->path());
        writeFile("CardData.txt", "EL3C574           3Com 3C574 PC Card\r\n");
        QString path = pathOf("USEROPTS.BAT");
        if (kind == "file")
            path = writeFile("USEROPTS.BAT", joinLines(kStaticLines));
        else if (kind == "folder")
            QVERIFY(QDir(m_dir->path()).mkdir("USEROPTS.BAT"));
        m_window->Form_Load(path);

        QVERIFY(m_platform->fileDialogs.isEmpty());
        if (reason.isEmpty()) {
            QVERIFY(m_platform->messages.isEmpty());
            QCOMPARE(m_window->fields(), kStaticFields);
        } else {
            QCOMPARE(m_platform->messages.size(), 1);
            QVERIFY(m_platform->messages.first().text.endsWith("\r\r" + reason));
            QCOMPARE(m_window->fields(), defaultSettings()); // nothing read: the defaults
        }
        m_window->cmdOpen_Click(); // the dialog offers the file named
        QCOMPARE(m_platform->fileDialogs.last().request.fileName, path);
    }

    void unreadableFileKeepsEarlierLinesAndWarns_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: neither the file nor its folder exists
        QTest::addColumn<EditorFields>("expected");
        QTest::addColumn<QString>("reason"); // below the fixed text

        // Lines 4 to 9 come from the file (its password is the default one);
        // the rest stay as they were.
        EditorFields upToLine9 = defaultSettings();
        upToLine9.text(Field::NetCard) = "XYZ999";
        upToLine9.text(Field::Workgroup) = "OFFICE";
        upToLine9.text(Field::UserName) = "a=b c";
        upToLine9.choice(Field::DisableDhcp) = 1;
        upToLine9.text(Field::IpAddress) = "10.0.0.5";
        QTest::newRow("empty line 10")
            << joinLines(withLine(kStaticLines, 10, "")) << upToLine9
            << "Line 10 has 0 characters, fewer than the 16 that must come before its value.";
        QTest::newRow("no such file") << QByteArray() << defaultSettings() << "It does not exist.";
    }

    void unreadableFileKeepsEarlierLinesAndWarns()
    {
        QFETCH(QByteArray, file);
        QFETCH(EditorFields, expected);
        QFETCH(QString, reason);

        const QString path =
            file.isNull() ? pathOf("Missing/UserOpts.bat") : writeFile("UserOpts.bat", file);
        m_window->cmdNew_Click();
        open(path);

        QCOMPARE(m_window->fields(), expected);
        // Line 8 selects static addresses; the rule ran when it was read.
        QCOMPARE(enabledStaticAddresses(),
                 expected.choice(Field::DisableDhcp) == 1 ? kAllAddresses : QStringList());
        QCOMPARE(m_platform->messages.size(), 1);
        const MessageRequest& warning = m_platform->messages.first();
        QCOMPARE(warning.title, QString("Error Reading USEROPTS.BAT"));
        QCOMPARE(warning.text,
                 path.toUpper() +
                     " could not be fully read correctly.\r\rThis editor may not be able to read "
                     "updated USEROPTS.BAT files from future releases of Corvane. In this case, "
                     "check www.corvane.example for newer releases of this editor.\r\r" +
                     reason);
        QCOMPARE(warning.icon, MessageIcon::Warning);
    }

    void openThenSaveGivesTheSameBytes_data()
    {
        QTest::addColumn<QByteArray>("file");

        QTest::newRow("static settings") << joinLines(kStaticLines);
        // More than a line edit keeps unless told otherwise.
        const QByteArray longText(40000, 'L');
        QTest::newRow("very long values")
            << joinLines(withLine(withLine(kStaticLines, 4, "rem NETCARD=" + longText), 12,
                                  "Set LOGONSCRIPT=" + longText));
    }

    void openThenSaveGivesTheSameBytes()
    {
        QFETCH(QByteArray, file);

        QVERIFY(QDir(m_dir->path()).mkpath("Floppy/Copy"));
        const QString original = writeFile("Floppy/UserOpts.bat", file);
        const QString copy = pathOf("Floppy/Copy/UserOpts.bat");
        open(original);
        save(copy);
        m_window->cmdOpen_Click(); // cancelled

        QCOMPARE(contents(copy), file);
        QCOMPARE(QDir(pathOf("Floppy/Copy")).entryList(QDir::Files), QStringList{"UserOpts.bat"});
        QCOMPARE(m_platform->messages.size(), 1);
        const MessageRequest& saved = m_platform->messages.first();
        QCOMPARE(saved.title, QString("USEROPTS.BAT Saved"));
        // Cautions may follow, for lines too long for DOS.
        QCOMPARE(saved.text.section("\r\r", 0, 0), "Settings saved to " + copy);
        QCOMPARE(saved.icon, MessageIcon::Information);

        // Both dialogs offer the file as it is on disk.
        QCOMPARE(m_platform->fileDialogs.size(), 3);
        const auto& saveDialog = m_platform->fileDialogs[1];
        QCOMPARE(saveDialog.request.title, QString("Save USEROPTS.BAT"));
        QCOMPARE(saveDialog.request.filter,
                 QString("USEROPTS.BAT|USEROPTS.BAT|Floppy images|*.img *.ima *.vfd *.flp"));
        QCOMPARE(saveDialog.request.fileName, original);
        QCOMPARE(m_platform->fileDialogs[2].request.fileName, copy);
    }

    // Where letter case counts, USEROPTS.BAT beside useropts.bat is another
    // file: Save offers and writes the one that was opened.
    void saveWritesTheFileThatWasOpened()
    {
        const QByteArray other = joinLines(withLine(kStaticLines, 6, "Set USERNAME=other"));
        const QString upper = writeFile("USEROPTS.BAT", other);
        const QString lower = writeFile("useropts.bat", joinLines(kStaticLines));
        open(lower);
        m_window->findChild<QLineEdit*>("txtUsername")->setText("edited");
        m_window->cmdSave_Click(); // cancelled: the name stays as it was
        save(m_platform->fileDialogs.last().request.fileName); // the offered name taken
        QCOMPARE(m_platform->fileDialogs[1].request.fileName, lower);
        QCOMPARE(m_platform->fileDialogs[2].request.fileName, lower);
        QVERIFY(contents(lower).contains("\r\nSet USERNAME=edited\r\n"));
        QCOMPARE(contents(upper), other);
    }

    // A file dropped anywhere, a text field included, opens it as Open does;
    // anything else is refused, and nothing dropped becomes a setting.
    void dropsOpenAFileAndNothingElse_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("dropped"); // files in the folder, or addresses
        QTest::addColumn<bool>("opens");
        QTest::newRow("file on a text field") << "txtLogon" << QStringList{"USEROPTS.BAT"} << true;
        QTest::newRow("file on the card's line") << "cboNIC" << QStringList{"USEROPTS.BAT"} << true;
        QTest::newRow("file on the window") << "" << QStringList{"USEROPTS.BAT"} << true;
        QTest::newRow("two files")
            << "txtLogon" << QStringList{"USEROPTS.BAT", "OTHER.BAT"} << false;
        QTest::newRow("a folder") << "txtLogon" << QStringList{"."} << false;
        QTest::newRow("a web address")
            << "txtLogon" << QStringList{"http://www.corvane.example/USEROPTS.BAT"} << false;
        QTest::newRow("text alone") << "txtLogon" << QStringList() << false;
    }

    void dropsOpenAFileAndNothingElse()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, dropped);
        QFETCH(bool, opens);
        const QString path = writeFile("USEROPTS.BAT", joinLines(kStaticLines));
        writeFile("OTHER.BAT", joinLines(kStaticLines));
        m_window->cmdNew_Click();
        QWidget* field = target.isEmpty() ? m_window.get() : m_window->findChild<QWidget*>(target);
        if (auto* choice = qobject_cast<QComboBox*>(field))
            field = choice->lineEdit();
        if (auto* line = qobject_cast<QLineEdit*>(field))
            line->setText("old text");
        const EditorFields before = m_window->fields();

        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : dropped)
            urls << (name.startsWith("http") ? QUrl(name) : QUrl::fromLocalFile(pathOf(name)));
        data.setUrls(urls);
        data.setText("dropped text");
        QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field, &enter);
        QDropEvent drop({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field, &drop);
        QCOMPARE(enter.isAccepted(), opens);
        QCOMPARE(drop.isAccepted(), opens);
        if (opens) // a move would have the file manager delete the file
            QCOMPARE(drop.dropAction(), Qt::CopyAction);

        // Opened once the drop is over, as from the dialog: the next one offers it.
        QTRY_COMPARE(m_window->fields(), opens ? kStaticFields : before);
        QVERIFY(m_platform->messages.isEmpty());
        m_window->cmdOpen_Click();
        QCOMPARE(m_platform->fileDialogs.size(), 1);
        QCOMPARE(m_platform->fileDialogs.first().request.fileName, opens ? path : QString());
    }

    // Values that will not work at boot are saved as typed, with a caution
    // for each in the box that says they were saved, named by their captions.
    void saveCautionsWhatWillNotWorkAtBoot()
    {
        m_window->cmdNew_Click();
        m_window->findChild<QLineEdit*>("txtUsername")->setText("x>y");
        m_window->findChild<QLineEdit*>("txtComputer")->setText("ROOM-12-PC-0042");
        m_window->findChild<QLineEdit*>("txtTimeOut")->setText("ten");
        const QString path = pathOf("USEROPTS.BAT");
        save(path);
        QVERIFY(contents(path).contains("\r\nSet USERNAME=x>y\r\n"));
        QCOMPARE(m_platform->messages.size(), 1);
        const MessageRequest& saved = m_platform->messages.first();
        QCOMPARE(saved.title, QString("USEROPTS.BAT Saved"));
        QCOMPARE(saved.icon, MessageIcon::Information);
        QCOMPARE(saved.text,
                 "Settings saved to " + path +
                     "\r\rUsername holds '>': when the floppy boots, the DOS shell cuts the value "
                     "there and writes into a new file named by the rest, on the boot disk\r"
                     "Menu Timeout is 'ten', not a whole number of seconds written plainly: when "
                     "the floppy boots, the boot menu reads it as 0, so the menu will not wait");
    }

    // Settings inside a floppy image: opened and saved back through the same
    // dialogs, named by the image and the file inside it; a file that only
    // looks like an image is neither read nor written over.
    void floppyImage()
    {
        // The tool's output, or "<failed>".
        const auto run = [](const QString& program, const QStringList& arguments,
                            const QByteArray& input = {}) {
            QByteArray output;
            return useropts::testing::tool(program, arguments, input, &output) == 0
                       ? output
                       : QByteArray("<failed>");
        };
        if (QStandardPaths::findExecutable("mkfs.fat").isEmpty() ||
            QStandardPaths::findExecutable("mcopy").isEmpty())
            QSKIP("mtools and dosfstools are needed to make an image.");
        const QString image = pathOf("site.img");
        QVERIFY(run("mkfs.fat", {"-C", image, "1440"}) != "<failed>");
        QCOMPARE(run("mcopy", {"-i", image, "-", "::useropts.bat"}, joinLines(kStaticLines)),
                 QByteArray());

        open(image);
        QCOMPARE(m_window->fields(), kStaticFields);
        QVERIFY(m_platform->messages.isEmpty());
        m_window->findChild<QLineEdit*>("txtUsername")->setText("inside");
        save(image);
        QCOMPARE(m_platform->fileDialogs.last().request.fileName, image);
        QCOMPARE(m_platform->messages.last().text,
                 "Settings saved to " + image + " (USEROPTS.BAT)");
        QVERIFY(
            run("mcopy", {"-i", image, "::USEROPTS.BAT", "-"}).contains("Set USERNAME=inside\r\n"));
        QVERIFY(run("fsck.fat", {"-n", image}) != "<failed>");

        // Random bytes under an image's name.
        const QByteArray noise(4096, '\x5a');
        const QString fake = writeFile("fake.img", noise);
        m_platform->clearRecords();
        open(fake);
        QVERIFY(m_platform->messages.last().text.endsWith(
            "\r\rIt is named like a floppy image but holds no FAT file system."));
        save(fake);
        QCOMPARE(m_platform->messages.last().title, QString("USEROPTS.BAT NOT Saved"));
        QCOMPARE(contents(fake), noise);
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("source"); // opened first; null: the defaults
        QTest::addColumn<QString>("password");  // typed after; null: as it is
        QTest::addColumn<QString>("target");    // empty: the dialog gives no name
        QTest::addColumn<QString>("reason");    // what the warning must mention

        const auto row = [](const char* name, const QByteArray& source, const QString& password,
                            const char* target, const char* reason) {
            QTest::newRow(name) << source << password << QString(target) << QString(reason);
        };
        row("password character 255 first", joinLines(kStaticLines), QString(QChar(0xFF)) + "x",
            "USEROPTS.BAT", "Line 7");
        row("directory does not exist", {}, {}, "Missing/USEROPTS.BAT", "Missing/USEROPTS.BAT");
        row("parent is a regular file", {}, {}, "Plain.txt/USEROPTS.BAT", "Plain.txt/USEROPTS.BAT");
        // A read that ends before line 22 leaves that choice unset.
        row("choice without an entry", joinLines(kStaticLines.first(21)), {}, "USEROPTS.BAT",
            "Line 22");
        row("empty name", {}, {}, "", "");
        // Read as the boot menu reads it, but never saved for the DOS shell.
        row("line feed read from the file",
            joinLines(withLine(kStaticLines, 12, "Set LOGONSCRIPT=CALL X.BAT\nDEL *.*")), {},
            "USEROPTS.BAT", "Auto-Execute Command would hold a line feed at character 11");
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, password);
        QFETCH(QString, target);
        QFETCH(QString, reason);

        const QByteArray old = joinLines(kStaticLines);
        const QString oldPath = writeFile("USEROPTS.BAT", old);
        writeFile("Plain.txt", "not a directory");
        if (source.isNull())
            m_window->cmdNew_Click();
        else
            open(writeFile("Source.BAT", source));
        if (!password.isNull())
            m_window->findChild<QLineEdit*>("txtPassword")->setText(password);
        m_platform->clearRecords();
        save(target.isEmpty() ? QString() : pathOf(target));

        QCOMPARE(contents(oldPath), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), source.isNull() ? 2 : 3);
        QCOMPARE(m_platform->messages.size(), 1); // and no "Saved" box
        const MessageRequest& warning = m_platform->messages.first();
        QCOMPARE(warning.title, QString("USEROPTS.BAT NOT Saved"));
        QCOMPARE(warning.icon, MessageIcon::Warning);
        QVERIFY2(warning.text.startsWith(kNotSaved) && warning.text.contains(reason),
                 qPrintable(warning.text));
        if (reason.isEmpty())
            QCOMPARE(warning.text, kNotSaved);
    }

    void windowAndArtwork()
    {
        QCOMPARE(m_window->windowTitle(), QString("User Options Editor"));
        QCOMPARE(m_window->size(), QSize(649, 534));
        // The pictures are compiled in; a missing one would leave a blank.
        const QList<QSize> iconSizes{{16, 16}, {32, 32}, {64, 64}};
        QCOMPARE(m_window->windowIcon().availableSizes(), iconSizes);
    }

    // The controls as the user meets them: no control outside its frame, no
    // caption cut off, a tip on every setting, each two-entry choice carrying
    // 0 and 1 with nothing chosen yet, pictures on the picture buttons, and a
    // card choice that keeps what is typed exactly as typed.
    void controlsAsLaidOut()
    {
        m_window->setCardDirectory(m_dir->path());
        writeFile("CardData.txt", "EL3C574           3Com 3C574 PC Card\r\n");
        m_window->ReadCardData();
        showActive();

        // Labels may reach past their frame's edge where no text stands.
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
            if (!widget->isVisible() || widget->isWindow() || qobject_cast<QLabel*>(widget))
                continue;
            QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()),
                     qPrintable(widget->objectName()));
        }
        // Every caption, entry and note fits the room the table gives it, and
        // each frame's controls stand inside its border, below the caption in it.
        const auto laidOutWidth = [](const QWidget* widget) {
            for (const ControlRow& row : kEditorControls) {
                if (widget->objectName() == QLatin1String(row.name))
                    return twipsToPixels(row.width);
            }
            return 0;
        };
        for (QLabel* label : m_window->findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            QVERIFY2(label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                       : label->fontMetrics().horizontalAdvance(label->text()) <=
                                             laidOutWidth(label) - 2 * label->frameWidth(),
                     qPrintable(label->objectName()));
        }
        for (QComboBox* choice : m_window->findChildren<QComboBox*>()) {
            QStyleOptionComboBox option;
            option.initFrom(choice);
            const QRect room = choice->style()->subControlRect(
                QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, choice);
            for (int i = 0; i < choice->count() && !choice->isEditable(); ++i) {
                QVERIFY2(choice->fontMetrics().horizontalAdvance(choice->itemText(i)) <=
                             room.width(),
                         qPrintable(choice->itemText(i)));
            }
        }
        for (QGroupBox* frame : m_window->findChildren<QGroupBox*>()) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const auto place = [&](QStyle::SubControl part) {
                return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, part, frame);
            };
            const QRect caption = place(QStyle::SC_GroupBoxLabel);
            QVERIFY2(
                caption.width() >= frame->fontMetrics().horizontalAdvance(frame->title()) &&
                    frame->rect().contains(caption) &&
                    caption.contains(caption.center().x(), place(QStyle::SC_GroupBoxFrame).top()),
                qPrintable(frame->title()));
            for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(place(QStyle::SC_GroupBoxContents).contains(child->geometry()),
                         qPrintable(child->objectName()));
            }
        }
        for (const Field field : allFields()) {
            QWidget* control =
                m_window->findChild<QWidget*>(kSettingControls[std::size_t(field)].control);
            QVERIFY2(control && (field == Field::NetCard || !control->toolTip().isEmpty()),
                     kSettingControls[std::size_t(field)].control);
            auto* choice = qobject_cast<QComboBox*>(control);
            if (!choice || choice->isEditable())
                continue;
            QCOMPARE(choice->count(), 2);
            QCOMPARE(choice->itemData(0).toInt(), 0);
            QCOMPARE(choice->itemData(1).toInt(), 1);
            QCOMPARE(choice->currentIndex(), -1);
        }
        for (QToolButton* button : m_window->findChildren<QToolButton*>())
            QVERIFY2(!button->icon().pixmap(16).isNull(), qPrintable(button->objectName()));

        auto* cards = m_window->findChild<QComboBox*>("cboNIC");
        cards->setFocus();
        cards->lineEdit()->selectAll();
        QTest::keyClicks(cards->lineEdit(), "el3");
        QTest::keyClick(cards->lineEdit(), Qt::Key_Return);
        QCOMPARE(cards->currentText(), "el3");
        QCOMPARE(cards->count(), 1);
    }

    // The desktop's own file dialogs, shut from a timer as soon as they show:
    // they list only files of the one name, and the save dialog saves.
    void realFileDialogs()
    {
        QtPlatformServices desktop;
        QStringList seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                seen << dialog->windowTitle() + " | " + dialog->nameFilters().join(";;") + " | " +
                            (dialog->acceptMode() == QFileDialog::AcceptSave ? "save" : "open");
                dialog->reject();
            }
        });
        closer.start(10);
        const QString filter = "USEROPTS.BAT|USEROPTS.BAT|Floppy images|*.img *.ima *.vfd *.flp";
        QCOMPARE(desktop.openFileName(nullptr, {"Open USEROPTS.BAT to modify", {}, filter}),
                 std::nullopt);
        QCOMPARE(desktop.saveFileName(nullptr, {"Save USEROPTS.BAT", pathOf("X.BAT"), filter}),
                 std::nullopt);
        QCOMPARE(seen,
                 (QStringList{"Open USEROPTS.BAT to modify | USEROPTS.BAT (USEROPTS.BAT);;Floppy "
                              "images (*.img *.ima *.vfd *.flp) | open",
                              "Save USEROPTS.BAT | USEROPTS.BAT (USEROPTS.BAT);;Floppy images "
                              "(*.img *.ima *.vfd *.flp) | save"}));
    }

    void tabVisitsTheFieldsInOrder()
    {
        const QStringList order = {
            "txtUsername", "txtPassword", "txtDomain", "cboDHCP",       "txtIP",       "txtSubnet",
            "txtGateway",  "txtDNS",      "txtWINS",   "cboRedirector", "cboPacket",   "cboDNS",
            "cboMouse",    "cboNTFS",     "cboCD",     "cboUDMA",       "txtComputer", "txtLogon",
            "txtTimeOut",  "cmdNew",      "cmdOpen",   "cmdSave",       "cmdQuit",     "cmdPrint",
            "cmdGetCards", "cboNIC"};
        showActive();
        QStringList forward{QApplication::focusWidget()->objectName()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forward << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(forward, order);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[order.size() - 2]);
    }

    void dhcpChoiceGovernsStaticAddresses()
    {
        auto* dhcp = m_window->findChild<QComboBox*>("cboDHCP");
        m_window->cmdNew_Click();
        QCOMPARE(enabledStaticAddresses(), QStringList());
        dhcp->setCurrentIndex(1);
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);

        // The user's keys and clicks.
        showActive();
        dhcp->setFocus();
        QTest::keyClick(dhcp, Qt::Key_Up);
        QCOMPARE(dhcp->currentIndex(), 0);
        QCOMPARE(enabledStaticAddresses(), QStringList());
        dhcp->showPopup();
        QAbstractItemView* list = dhcp->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect item = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTRY_COMPARE(dhcp->currentIndex(), 1);
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);
        // Greying never cleared an address.
        EditorFields expected = defaultSettings();
        expected.choice(Field::DisableDhcp) = 1;
        QCOMPARE(m_window->fields(), expected);
    }

    void headerLinkHoverAndClick()
    {
        showActive();
        auto* link = m_window->findChild<QLabel*>("Label2");
        auto* header = m_window->findChild<QWidget*>("PicHeader");
        const auto hovering = [&] {
            return link->font().bold() && m_window->cursor().shape() == Qt::WhatsThisCursor;
        };
        QTest::mouseMove(link, link->rect().center());
        QVERIFY(hovering());
        QVERIFY(link->font().underline());
        // Straight up over the note, then over the logo: no change.
        QTest::mouseMove(header, QPoint(link->geometry().center().x(), link->y() - 10));
        QVERIFY(hovering());
        QTest::mouseMove(m_window->findChild<QLabel*>("imgLogo"), QPoint(60, 60));
        QVERIFY(hovering());
        // Bare header area below the link ends it.
        QTest::mouseMove(header, QPoint(link->geometry().center().x(), header->height() - 4));
        QVERIFY(!link->font().bold() && m_window->cursor().shape() == Qt::ArrowCursor);
        // Leaving the header straight from the link keeps it.
        QTest::mouseMove(link, link->rect().center());
        QTest::mouseMove(m_window->findChild<QLabel*>("lblTip"), QPoint(20, 5));
        QVERIFY(hovering());

        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_platform->openedUrls, QList<QUrl>{QUrl("http://www.corvane.example")});
    }

    // Each command by its access key and by the desktop's standard keys.
    void keysPressTheButtons_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        const std::pair<char, const char*> commands[] = {{'N', "defaults"},
                                                         {'O', "open dialog"},
                                                         {'S', "save dialog"},
                                                         {'P', "notes prompt"},
                                                         {'Q', "closed"}};
        for (const auto& [letter, effect] : commands) {
            for (const char* modifier : {"Alt", "Ctrl"}) {
                const QString keys = QString("%1+%2").arg(modifier).arg(letter);
                QTest::newRow(qPrintable(keys)) << QKeySequence(keys) << QString(effect);
            }
        }
    }

    void keysPressTheButtons()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        showActive();
        m_window->findChild<QLineEdit*>("txtUsername")->setText("unsaved edit");
        QTest::keySequence(m_window.get(), keys);

        // A button pressed by its keys shows itself pressed for a moment first.
        const auto seen = [this]() -> QString {
            if (m_window->fields() == defaultSettings())
                return "defaults";
            if (!m_platform->prompts.isEmpty())
                return "notes prompt";
            if (!m_platform->fileDialogs.isEmpty())
                return m_platform->fileDialogs.first().save ? "save dialog" : "open dialog";
            if (!m_window->isVisible())
                return "closed";
            return {};
        };
        QTRY_COMPARE(seen(), effect);
        // Quitting asks nothing, even with edits unsaved.
        QVERIFY(m_platform->messages.isEmpty());
    }

    // What a screen reader announces for each setting, as Qt hands it on: the
    // caption beside it, which is linked to it (for the card choice, its
    // frame's), and its tip, or for the card choice the note above it, also
    // on the card choice's edit line; and the window and the logo by name.
    void screenReadersHearCaptionsAndTips()
    {
        const auto heard = [](QObject* object) {
            const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
            return accessible->text(QAccessible::Name) + " | " +
                   accessible->text(QAccessible::Description);
        };
        QStringList expected;
        QStringList spoken;
        for (const Field field : allFields()) {
            auto* control =
                m_window->findChild<QWidget*>(kSettingControls[std::size_t(field)].control);
            QString caption;
            for (const QLabel* label : m_window->findChildren<QLabel*>()) {
                if (label->buddy() == control)
                    caption = label->text().chopped(1); // the colon
            }
            QString description = control->toolTip();
            if (field == Field::NetCard) {
                caption = static_cast<QGroupBox*>(control->parentWidget())->title();
                description = m_window->findChild<QLabel*>("Label5")->text();
                expected << caption + " | " + description;
                spoken << heard(static_cast<QComboBox*>(control)->lineEdit());
            }
            expected << caption + " | " + description;
            spoken << heard(control);
        }
        QCOMPARE(spoken, expected);

        // A choice's entry, the card's typed text too, is read as its text.
        m_window->cmdNew_Click();
        for (QComboBox* choice : m_window->findChildren<QComboBox*>()) {
            QAccessibleTextInterface* text =
                QAccessible::queryAccessibleInterface(choice)->textInterface();
            QVERIFY2(text, qPrintable(choice->objectName()));
            QCOMPARE(text->text(0, text->characterCount()), choice->currentText());
        }

        const QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_window.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QString("User Options Editor"));
        QCOMPARE(heard(m_window->findChild<QLabel*>("imgLogo")),
                 QString("Corvane Startup Floppy logo | "));
    }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        for (const char* button :
             {"cmdNew", "cmdOpen", "cmdSave", "cmdPrint", "cmdQuit", "cmdGetCards"}) {
            QTest::addRow("Return on %s", button) << QString(button) << int(Qt::Key_Return);
            QTest::addRow("keypad Enter on %s", button) << QString(button) << int(Qt::Key_Enter);
        }
    }

    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        showActive();
        auto* pressed = m_window->findChild<QAbstractButton*>(button);
        QSignalSpy clicks(pressed, &QAbstractButton::clicked);
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_COMPARE(clicks.size(), 1);
    }

    // The web link by F1 and by the press action a screen reader finds on it;
    // a setting's tip once Tab brings the focus there, gone with the focus.
    void linkAndTipsWithoutAMouse()
    {
        showActive();
        QAccessibleInterface* link =
            QAccessible::queryAccessibleInterface(m_window->findChild<QLabel*>("Label2"));
        QCOMPARE(link->role(), QAccessible::Link);
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        const QUrl site("http://www.corvane.example");
        QCOMPARE(m_platform->openedUrls, (QList<QUrl>{site, site}));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("txtPassword"));
        QTRY_VERIFY(shownTip());
        QCOMPARE(shownTip()->text(), QString("Password for the above username"));
        m_window->findChild<QLineEdit*>("txtDomain")->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!shownTip());
    }

    // A tip, whether Tab or the pointer brings it, stands beside its field,
    // to the right or above, within the window's width, and leaves both the
    // field and the next one Tab goes to in view.
    void tipsBesideTheirFields_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<bool>("byKeyboard");
        QStringList tipped;
        for (const ControlRow& row : kEditorControls) {
            if (row.tip)
                tipped << row.name;
        }
        const std::size_t count = kEditorTabOrder.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!tipped.contains(kEditorTabOrder[i]))
                continue;
            for (const bool byKeyboard : {true, false}) {
                QTest::addRow("%s, %s", kEditorTabOrder[i], byKeyboard ? "Tab" : "pointer")
                    << kEditorTabOrder[i] << kEditorTabOrder[(i + 1) % count]
                    << kEditorTabOrder[(i + count - 1) % count] << byKeyboard;
            }
        }
    }

    void tipsBesideTheirFields()
    {
        QFETCH(QString, control);
        QFETCH(QString, next);
        QFETCH(QString, previous);
        QFETCH(bool, byKeyboard);
        showActive();
        auto* field = m_window->findChild<QWidget*>(control);
        const QRect place(field->mapToGlobal(QPoint(0, 0)), field->size());
        if (byKeyboard) {
            m_window->findChild<QWidget*>(previous)->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), field);
        } else {
            QHelpEvent rest(QEvent::ToolTip, field->rect().center(), place.center());
            QApplication::sendEvent(field, &rest);
        }
        QTRY_VERIFY(shownTip());
        QCOMPARE(shownTip()->text(), field->toolTip());

        const QRect tip = shownTip()->geometry();
        const QWidget* after = m_window->findChild<QWidget*>(next);
        const QRect window(m_window->mapToGlobal(QPoint(0, 0)), m_window->size());
        QVERIFY2(tip.left() > place.right() || tip.bottom() < place.top(), "not beside");
        QVERIFY(!tip.intersects(QRect(after->mapToGlobal(QPoint(0, 0)), after->size())));
        QVERIFY(tip.left() >= window.left() && tip.right() <= window.right());
        if (!byKeyboard) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(field, &leave);
            QVERIFY(!shownTip());
        }
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
