#include "settings/DefaultSettings.h"
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace useropts;
using useropts::testing::ScriptedPlatform;

Q_DECLARE_METATYPE(useropts::EditorFields)

namespace {

const QList<QByteArray> kHeader = {
    "@echo off",
    "REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu "
    "Software to modify this file. The password field is Encypted!",
    "REM *** Do not change the order of the commands in this batch file. (Or the Position of the "
    "equal signs!) ***",
};

// A file with static addresses and every choice set, as the boot menu leaves it.
const QList<QByteArray> kStaticLines = kHeader + QList<QByteArray>{
                                                     "rem NETCARD=XYZ999",
                                                     "Set WORKGROUP=OFFICE",
                                                     "Set USERNAME=a=b c",
                                                     "::: PASSWORD=rwlpq",
                                                     "Set DISABLEDHCP=1",
                                                     "Set IPADDRESS0=10 0 0 5",
                                                     "Set SUBNETMASK0=255 0 0 0",
                                                     "Set DEFAULTGATEWAY0=10 0 0 1 ",
                                                     "Set LOGONSCRIPT=CALL X.BAT",
                                                     "rem TIMEOUT=15",
                                                     "Set DNS=10 0 0 2",
                                                     "Set WKSTN=LAB-PC7",
                                                     "Set PACKET=0",
                                                     "Set DNSENABLE=1",
                                                     "Set MOUSE=0",
                                                     "Set REDIRECTOR=FULL",
                                                     "Set NTFS=1",
                                                     "Set CD=1",
                                                     "Set UDMA=0",
                                                     "Set WINS=10 0 0 3",
                                                 };

EditorFields staticFields()
{
    EditorFields f;
    f.cboNIC = "XYZ999";
    f.txtDomain = "OFFICE";
    f.txtUsername = "a=b c";
    f.txtPassword = "quill";
    f.cboDHCP = 1;
    f.txtIP = "10.0.0.5";
    f.txtSubnet = "255.0.0.0";
    f.txtGateway = "10.0.0.1";
    f.txtLogon = "CALL X.BAT";
    f.txtTimeOut = "15";
    f.txtDNS = "10.0.0.2";
    f.txtComputer = "LAB-PC7";
    f.cboPacket = 0;
    f.cboDNS = 1;
    f.cboMouse = 0;
    f.cboRedirector = 1;
    f.cboNTFS = 1;
    f.cboCD = 1;
    f.cboUDMA = 0;
    f.txtWINS = "10.0.0.3";
    return f;
}

QByteArray fileOf(const QList<QByteArray>& lines, const QByteArray& end = "\r\n")
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + end;
    return out;
}

QList<QByteArray> withLine(QList<QByteArray> lines, int lineNumber, const QByteArray& text)
{
    lines[lineNumber - 1] = text;
    return lines;
}

int lineOf(Field field)
{
    return static_cast<int>(field) + 4;
}

// What a read that stopped after lastApplied leaves: the file's values
// before, the earlier values from there on.
EditorFields readUpTo(int lastApplied, const EditorFields& before, const EditorFields& file)
{
    EditorFields out = before;
    for (const Field field : allFields()) {
        if (lineOf(field) > lastApplied)
            continue;
        if (isChoice(field))
            out.choice(field) = file.choice(field);
        else
            out.text(field) = file.text(field);
    }
    return out;
}

QString readWarning(const QString& path)
{
    return path.toUpper() +
           " could not be fully read correctly.\r\rThis editor may not be able to read updated "
           "USEROPTS.BAT files from future releases of Corvane. In this case, check "
           "www.corvane.example for newer releases of this editor.";
}

enum class SaveSetup
{
    PasswordOutOfRange,
    MissingDirectory,
    ParentIsAFile,
    ChoiceWithoutEntry
};

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
        QFile file(pathOf(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    template <typename T> T* control(const char* name) const
    {
        T* found = m_window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    const QStringList kAllAddresses = {"txtIP", "txtSubnet", "txtGateway", "txtDNS", "txtWINS"};

    QStringList enabledStaticAddresses() const
    {
        QStringList enabled;
        for (const QString& name : kAllAddresses) {
            if (control<QLineEdit>(qPrintable(name))->isEnabled())
                enabled << name;
        }
        return enabled;
    }

    void open(const QString& path)
    {
        m_platform->openAnswers.enqueue(path);
        m_window->cmdOpen_Click();
    }

    void save(const QString& path)
    {
        m_platform->saveAnswers.enqueue(path);
        m_window->cmdSave_Click();
    }

    QStringList messageTitles() const
    {
        QStringList titles;
        for (const MessageSpec& m : m_platform->messages)
            titles << m.title;
        return titles;
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
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = std::make_unique<ScriptedPlatform>();
        m_window = std::make_unique<frmEditor>(*m_platform);
        // A card list in place, so that start-up goes straight to the file.
        QVERIFY(QDir(m_dir->path()).mkdir("program"));
        writeFile("program/CardData.txt", "EL3C574           3Com 3C574 PC Card\r\n");
        m_window->setCardDirectory(pathOf("program"));
    }

    void cleanup()
    {
        m_window.reset();
        m_platform.reset();
        m_dir.reset();
    }

    void cancelledStartupGivesTheDefaults()
    {
        m_window->Form_Load();

        QVERIFY(m_window->isVisible());
        QCOMPARE(control<QLabel>("lblVersion")->text(), QString("Editor Version 0.1.2"));
        QCOMPARE(m_platform->fileDialogs.size(), 1);
        const auto& dialog = m_platform->fileDialogs.first();
        QVERIFY(!dialog.save);
        QCOMPARE(dialog.spec.title, QString("Open USEROPTS.BAT to modify"));
        QCOMPARE(dialog.spec.fileName, QString());
        QCOMPARE(dialog.spec.filter, QString("USEROPTS.BAT|USEROPTS.BAT"));

        QCOMPARE(m_window->fields(), defaultSettings());
        QCOMPARE(control<QComboBox>("cboDHCP")->currentText(), QString("Use DHCP Settings"));
        QCOMPARE(enabledStaticAddresses(), QStringList());
        QCOMPARE(control<QLineEdit>("txtIP")->text(), QString("192.168.1.123"));
        QVERIFY(m_platform->messages.isEmpty());
        QCOMPARE(m_window->settingsFile(), QString());
    }

    void startupKeepsWhatAFileGives_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<EditorFields>("expected");
        QTest::addColumn<QStringList>("enabledAddresses");

        QTest::newRow("static addresses")
            << fileOf(kStaticLines) << staticFields() << kAllAddresses;

        EditorFields noPassword = staticFields();
        noPassword.txtPassword.clear();
        QTest::newRow("user name without password")
            << fileOf(withLine(kStaticLines, 7, "::: PASSWORD=")) << noPassword << kAllAddresses;

        EditorFields noUser = staticFields();
        noUser.txtUsername.clear();
        QTest::newRow("password without user name")
            << fileOf(withLine(kStaticLines, 6, "Set USERNAME=")) << noUser << kAllAddresses;

        QTest::newRow("neither user name nor password")
            << fileOf(withLine(withLine(kStaticLines, 6, "Set USERNAME="), 7, "::: PASSWORD="))
            << defaultSettings() << QStringList();

        // 0.5 pinned below: "KZ" and 0.5 * 9999999 + 1 without its fraction.
        EditorFields generated = staticFields();
        generated.txtComputer = "KZ5000000";
        QTest::newRow("generated computer name")
            << fileOf(withLine(kStaticLines, 15, "Set WKSTN=KZ123456")) << generated
            << kAllAddresses;
    }

    void startupKeepsWhatAFileGives()
    {
        QFETCH(QByteArray, file);
        QFETCH(EditorFields, expected);
        QFETCH(QStringList, enabledAddresses);

        const QString path = writeFile("USEROPTS.BAT", file);
        m_window->setRandomSource([] { return 0.5; });
        m_platform->openAnswers.enqueue(path);
        m_window->Form_Load();

        QCOMPARE(m_window->fields(), expected);
        QCOMPARE(enabledStaticAddresses(), enabledAddresses);
        QVERIFY(m_platform->messages.isEmpty());
        QCOMPARE(m_window->settingsFile(), path);
        QCOMPARE(contents(path), file); // opening never writes
    }

    void unreadableFileKeepsEarlierLinesAndWarns_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file"); // null: the file does not exist
        QTest::addColumn<int>("lastApplied");

        QTest::newRow("empty line 10")
            << "USEROPTS.BAT" << fileOf(withLine(kStaticLines, 10, "")) << 9;
        QTest::newRow("only 22 lines") << "USEROPTS.BAT" << fileOf(kStaticLines.first(22)) << 22;
        QTest::newRow("line feeds alone end no line")
            << "USEROPTS.BAT" << fileOf(kStaticLines, "\n") << 3;
        QTest::newRow("no such file") << "Missing/UserOpts.bat" << QByteArray() << 3;
    }

    void unreadableFileKeepsEarlierLinesAndWarns()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(int, lastApplied);

        const QString path = file.isNull() ? pathOf(name) : writeFile(name, file);
        m_window->cmdNew_Click();
        open(path);

        QCOMPARE(m_window->fields(), readUpTo(lastApplied, defaultSettings(), staticFields()));
        // Line 8 selects static addresses; the rule ran when it was read.
        QCOMPARE(enabledStaticAddresses(), lastApplied >= 8 ? kAllAddresses : QStringList());
        QCOMPARE(m_platform->messages.size(), 1);
        const MessageSpec& warning = m_platform->messages.first();
        QCOMPARE(warning.title, QString("Error Reading USEROPTS.BAT"));
        QCOMPARE(warning.text, readWarning(path));
        QCOMPARE(warning.icon, MessageIcon::Warning);
        QCOMPARE(warning.buttons, MessageButtons::Ok);
        QCOMPARE(m_window->settingsFile(), path);
        if (!file.isNull())
            QCOMPARE(contents(path), file);
    }

    void openThenSaveGivesTheSameBytes_data()
    {
        QTest::addColumn<QByteArray>("file");

        QTest::newRow("static settings") << fileOf(kStaticLines);
        // More than a line edit keeps unless told otherwise.
        const QByteArray longText(40000, 'L');
        QTest::newRow("very long values")
            << fileOf(withLine(withLine(kStaticLines, 4, "rem NETCARD=" + longText), 12,
                               "Set LOGONSCRIPT=" + longText));
    }

    void openThenSaveGivesTheSameBytes()
    {
        QFETCH(QByteArray, file);

        const QString original = writeFile("USEROPTS.BAT", file);
        QVERIFY(QDir(m_dir->path()).mkpath("Copy"));
        const QString copy = pathOf("Copy/UserOpts.bat");
        open(original);
        save(copy);

        QCOMPARE(contents(copy), file);
        QCOMPARE(m_platform->messages.size(), 1);
        const MessageSpec& saved = m_platform->messages.first();
        QCOMPARE(saved.title, QString("USEROPTS.BAT Saved"));
        QCOMPARE(saved.text, "Settings saved to " + copy);
        QCOMPARE(saved.icon, MessageIcon::Information);
        // Nothing but the file itself is left beside it.
        QCOMPARE(QDir(pathOf("Copy")).entryList(QDir::Files), QStringList{"UserOpts.bat"});
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<SaveSetup>("setup");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason"); // what the warning must mention

        QTest::newRow("password character 255 first")
            << SaveSetup::PasswordOutOfRange << "USEROPTS.BAT"
            << "Line 7";
        QTest::newRow("directory does not exist")
            << SaveSetup::MissingDirectory << "Missing/USEROPTS.BAT"
            << "Missing";
        QTest::newRow("parent is a regular file")
            << SaveSetup::ParentIsAFile << "Plain.txt/USEROPTS.BAT"
            << "Plain.txt";
        QTest::newRow("choice without an entry") << SaveSetup::ChoiceWithoutEntry << "USEROPTS.BAT"
                                                 << "Line 22";
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(SaveSetup, setup);
        QFETCH(QString, target);
        QFETCH(QString, reason);

        const QByteArray old = fileOf(kStaticLines);
        const QString oldPath = writeFile("USEROPTS.BAT", old);
        writeFile("Plain.txt", "not a directory");
        switch (setup) {
        case SaveSetup::PasswordOutOfRange:
            open(oldPath);
            control<QLineEdit>("txtPassword")->setText(QString(QChar(0xFF)) + "x");
            break;
        case SaveSetup::MissingDirectory:
        case SaveSetup::ParentIsAFile:
            m_window->cmdNew_Click();
            break;
        case SaveSetup::ChoiceWithoutEntry:
            // A read that ends before line 22 leaves that choice unset.
            open(writeFile("Short.BAT", fileOf(kStaticLines.first(21))));
            break;
        }
        m_platform->clearRecords();
        const QString path = pathOf(target);
        save(path);

        QCOMPARE(contents(oldPath), old);
        QVERIFY(!QFileInfo::exists(path) || path == oldPath);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(),
                 setup == SaveSetup::ChoiceWithoutEntry ? 3 : 2);
        QCOMPARE(messageTitles(), QStringList{"USEROPTS.BAT NOT Saved"});
        const MessageSpec& warning = m_platform->messages.first();
        QCOMPARE(warning.icon, MessageIcon::Warning);
        QVERIFY2(warning.text.contains(reason), qPrintable(warning.text));
        if (setup == SaveSetup::MissingDirectory || setup == SaveSetup::ParentIsAFile)
            QVERIFY2(warning.text.contains(QDir::toNativeSeparators(path)),
                     qPrintable(warning.text));
    }

    void emptySaveNameIsNotSaved()
    {
        m_window->cmdNew_Click();
        save(QString());

        QCOMPARE(m_platform->messages.size(), 1);
        const MessageSpec& warning = m_platform->messages.first();
        QCOMPARE(warning.title, QString("USEROPTS.BAT NOT Saved"));
        QCOMPARE(warning.text, QString("Menu Settings have not been saved!"));
        QCOMPARE(warning.icon, MessageIcon::Warning);
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    }

    void dialogsOfferTheCurrentPath()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("Floppy"));
        const QString path = writeFile("Floppy/UserOpts.bat", fileOf(kStaticLines));
        open(path);

        m_window->cmdSave_Click(); // cancelled
        m_window->cmdOpen_Click(); // cancelled
        save(path);
        m_window->cmdSave_Click();

        QCOMPARE(m_platform->fileDialogs.size(), 5);
        const auto spec = [this](int i) { return m_platform->fileDialogs[i].spec; };
        QVERIFY(m_platform->fileDialogs[1].save);
        QCOMPARE(spec(1).title, QString("Save USEROPTS.BAT"));
        QCOMPARE(spec(1).filter, QString("USEROPTS.BAT|USEROPTS.BAT"));
        QCOMPARE(spec(1).fileName, path.toUpper());
        // A cancelled save leaves the path upper-cased for the next dialog.
        QCOMPARE(spec(2).fileName, path.toUpper());
        QCOMPARE(spec(2).title, QString("Open USEROPTS.BAT to modify"));
        QCOMPARE(spec(4).fileName, path.toUpper());
        // The confirmation names the path as chosen.
        QCOMPARE(messageTitles(), QStringList{"USEROPTS.BAT Saved"});
        QCOMPARE(m_platform->messages.first().text, "Settings saved to " + path);
    }

    void dhcpChoiceGovernsStaticAddresses()
    {
        auto* dhcp = control<QComboBox>("cboDHCP");
        QCOMPARE(enabledStaticAddresses(), kAllAddresses); // nothing chosen yet

        m_window->cmdNew_Click();
        QCOMPARE(enabledStaticAddresses(), QStringList());
        dhcp->setCurrentIndex(1);
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);
        dhcp->setCurrentIndex(0);
        QCOMPARE(enabledStaticAddresses(), QStringList());
        QCOMPARE(control<QLineEdit>("txtGateway")->text(), QString("192.168.1.254"));

        open(writeFile("USEROPTS.BAT", fileOf(kStaticLines)));
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);
        m_window->cmdNew_Click();
        QCOMPARE(enabledStaticAddresses(), QStringList());

        // The user's keys and clicks.
        showActive();
        dhcp->setFocus();
        QTest::keyClick(dhcp, Qt::Key_Down);
        QCOMPARE(dhcp->currentText(), QString("Static IP Settings"));
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);
        QTest::keyClick(dhcp, Qt::Key_Up);
        QCOMPARE(enabledStaticAddresses(), QStringList());

        dhcp->showPopup();
        QAbstractItemView* list = dhcp->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect item = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTRY_COMPARE(dhcp->currentIndex(), 1);
        QCOMPARE(enabledStaticAddresses(), kAllAddresses);
        QCOMPARE(control<QLineEdit>("txtIP")->text(), QString("192.168.1.123"));
    }

    void headerLinkHoverAndClick()
    {
        showActive();
        auto* link = control<QLabel>("Label2");
        auto* header = control<QWidget>("PicHeader");
        const auto hovering = [&] {
            return link->font().bold() && m_window->cursor().shape() == Qt::WhatsThisCursor;
        };
        QVERIFY(!link->font().bold());
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);

        QTest::mouseMove(link, link->rect().center());
        QVERIFY(hovering());
        QVERIFY(link->font().underline());
        QVERIFY2(link->fontMetrics().horizontalAdvance(link->text()) <= link->width(),
                 "bold link cut off");
        // Straight up over the note, then over the logo: no change.
        QTest::mouseMove(header, QPoint(link->geometry().center().x(), link->y() - 10));
        QVERIFY(hovering());
        QTest::mouseMove(control<QLabel>("imgLogo"), QPoint(60, 60));
        QVERIFY(hovering());
        // Bare header area below the link ends it.
        QTest::mouseMove(header, QPoint(link->geometry().center().x(), header->height() - 4));
        QVERIFY(!link->font().bold());
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
        // Leaving the header straight from the link keeps it.
        QTest::mouseMove(link, link->rect().center());
        QTest::mouseMove(control<QLabel>("lblTip"), QPoint(20, 5));
        QVERIFY(hovering());

        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_platform->openedUrls, QList<QUrl>{QUrl("http://" + link->text())});
        QCOMPARE(link->text(), QString("www.corvane.example"));
    }

    void accessKeysPressTheButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Alt+N") << int(Qt::Key_N) << "defaults";
        QTest::newRow("Alt+O") << int(Qt::Key_O) << "open dialog";
        QTest::newRow("Alt+S") << int(Qt::Key_S) << "save dialog";
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << "closed";
    }

    void accessKeysPressTheButtons()
    {
        QFETCH(int, key);
        QFETCH(QString, effect);
        showActive();
        control<QLineEdit>("txtUsername")->setText("unsaved edit");
        QTest::keyClick(m_window.get(), Qt::Key(key), Qt::AltModifier);

        // A button pressed by its key shows itself pressed for a moment first.
        const auto seen = [this]() -> QString {
            if (m_window->fields() == defaultSettings())
                return "defaults";
            if (!m_platform->fileDialogs.isEmpty())
                return m_platform->fileDialogs.first().save ? "save dialog" : "open dialog";
            if (!m_window->isVisible())
                return "closed";
            return {};
        };
        QTRY_COMPARE(seen(), effect);
        // Quitting asks nothing, even with edits unsaved.
        if (effect == "closed")
            QVERIFY(m_platform->messages.isEmpty());
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
