#include "settings/DefaultSettings.h"
#include "support/ScriptedPlatform.h"
#include "ui/ExistingPath.h"
#include "ui/frmEditor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace useropts;
using useropts::testing::ScriptedPlatform;

Q_DECLARE_METATYPE(useropts::EditorFields)

namespace {

// A file with static addresses and every choice set, as the boot menu leaves
// it, and what the window shows of it.
// clang-format off
const QList<QByteArray> kStaticLines = {
    "@echo off",
    "REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu "
    "Software to modify this file. The password field is Encypted!",
    "REM *** Do not change the order of the commands in this batch file. (Or the Position of the "
    "equal signs!) ***",
    "rem NETCARD=XYZ999", "Set WORKGROUP=OFFICE", "Set USERNAME=a=b c", "::: PASSWORD=rwlpq",
    "Set DISABLEDHCP=1", "Set IPADDRESS0=10 0 0 5", "Set SUBNETMASK0=255 0 0 0",
    "Set DEFAULTGATEWAY0=10 0 0 1 ", "Set LOGONSCRIPT=CALL X.BAT", "rem TIMEOUT=15",
    "Set DNS=10 0 0 2", "Set WKSTN=LAB-PC7", "Set PACKET=0", "Set DNSENABLE=1", "Set MOUSE=0",
    "Set REDIRECTOR=FULL", "Set NTFS=1", "Set CD=1", "Set UDMA=0", "Set WINS=10 0 0 3"};

const EditorFields kStaticFields{
    .cboNIC = "XYZ999", .txtDomain = "OFFICE", .txtUsername = "a=b c", .txtPassword = "quill",
    .cboDHCP = 1, .txtIP = "10.0.0.5", .txtSubnet = "255.0.0.0", .txtGateway = "10.0.0.1",
    .txtLogon = "CALL X.BAT", .txtTimeOut = "15", .txtDNS = "10.0.0.2", .txtComputer = "LAB-PC7",
    .cboPacket = 0, .cboDNS = 1, .cboMouse = 0, .cboRedirector = 1, .cboNTFS = 1, .cboCD = 1,
    .cboUDMA = 0, .txtWINS = "10.0.0.3"};
// clang-format on

const QStringList kAllAddresses = {"txtIP", "txtSubnet", "txtGateway", "txtDNS", "txtWINS"};
const QString kNotSaved = "Menu Settings have not been saved!";

QByteArray fileOf(const QList<QByteArray>& lines)
{
    return lines.join("\r\n") + "\r\n";
}

QList<QByteArray> withLine(QList<QByteArray> lines, int lineNumber, const QByteArray& text)
{
    lines[lineNumber - 1] = text;
    return lines;
}

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

    QStringList enabledStaticAddresses() const
    {
        QStringList enabled = kAllAddresses;
        enabled.removeIf([this](const QString& name) {
            return !m_window->findChild<QLineEdit*>(name)->isEnabled();
        });
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
        QTest::newRow("static addresses") << fileOf(kStaticLines) << kStaticFields;

        EditorFields noPassword = kStaticFields;
        noPassword.txtPassword.clear();
        QTest::newRow("user name without password")
            << fileOf(withLine(kStaticLines, 7, "::: PASSWORD=")) << noPassword;

        EditorFields noUser = kStaticFields;
        noUser.txtUsername.clear();
        QTest::newRow("password without user name")
            << fileOf(withLine(kStaticLines, 6, "Set USERNAME=")) << noUser;

        QTest::newRow("neither user name nor password")
            << fileOf(withLine(withLine(kStaticLines, 6, "Set USERNAME="), 7, "::: PASSWORD="))
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
        QCOMPARE(enabledStaticAddresses(), expected.cboDHCP == 1 ? kAllAddresses : QStringList());
        QVERIFY(m_platform->messages.isEmpty());
        QCOMPARE(m_window->settingsFile(), path);
        if (!file.isNull())
            QCOMPARE(contents(path), file); // opening never writes
    }

    void unreadableFileKeepsEarlierLinesAndWarns_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: neither the file nor its folder exists
        QTest::addColumn<EditorFields>("expected");
        QTest::addColumn<QString>("reason"); // below the fixed text

        // Lines 4 to 9 come from the file (its password is the default one);
        // the rest stay as they were.
        EditorFields upToLine9 = defaultSettings();
        upToLine9.cboNIC = "XYZ999";
        upToLine9.txtDomain = "OFFICE";
        upToLine9.txtUsername = "a=b c";
        upToLine9.cboDHCP = 1;
        upToLine9.txtIP = "10.0.0.5";
        QTest::newRow("empty line 10")
            << fileOf(withLine(kStaticLines, 10, "")) << upToLine9
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
        QCOMPARE(enabledStaticAddresses(), expected.cboDHCP == 1 ? kAllAddresses : QStringList());
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
        QCOMPARE(saved.text, "Settings saved to " + copy);
        QCOMPARE(saved.icon, MessageIcon::Information);

        // The save dialog offers the path upper-cased, which still leads it to
        // the folder the file is in; the open dialog offers it as chosen.
        QCOMPARE(m_platform->fileDialogs.size(), 3);
        const auto& saveDialog = m_platform->fileDialogs[1];
        QCOMPARE(saveDialog.request.title, QString("Save USEROPTS.BAT"));
        QCOMPARE(saveDialog.request.filter, QString("USEROPTS.BAT|USEROPTS.BAT"));
        QCOMPARE(saveDialog.request.fileName, original.toUpper());
        QCOMPARE(matchExistingPathIgnoringCase(saveDialog.request.fileName),
                 QDir::toNativeSeparators(original));
        QCOMPARE(m_platform->fileDialogs[2].request.fileName, copy);
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
        row("password character 255 first", fileOf(kStaticLines), QString(QChar(0xFF)) + "x",
            "USEROPTS.BAT", "Line 7");
        row("directory does not exist", {}, {}, "Missing/USEROPTS.BAT", "Missing/USEROPTS.BAT");
        row("parent is a regular file", {}, {}, "Plain.txt/USEROPTS.BAT", "Plain.txt/USEROPTS.BAT");
        // A read that ends before line 22 leaves that choice unset.
        row("choice without an entry", fileOf(kStaticLines.first(21)), {}, "USEROPTS.BAT",
            "Line 22");
        row("empty name", {}, {}, "", "");
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, password);
        QFETCH(QString, target);
        QFETCH(QString, reason);

        const QByteArray old = fileOf(kStaticLines);
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

    void controls_data()
    {
        // Twips as designed; 15 make a pixel.
        const auto twips = [](int left, int top, int width, int height) {
            return QRect(left / 15, top / 15, width / 15, height / 15);
        };
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("entries"); // '|' between entries 0 and 1
        QTest::addColumn<QSize>("picture");

        const char* parent = "";
        const auto row = [&](const char* name, const char* kind, QRect at, const QString& caption,
                             const QString& tip = {}, const QString& entries = {},
                             QSize picture = {}) {
            QTest::newRow(name) << QString(name) << QString(kind) << QString(parent) << at
                                << caption << tip << entries << picture;
        };
        const auto button = [&](const char* name, int left, const char* caption, QSize picture) {
            row(name, "picture button", twips(left, 2340, 855, 795), caption, {}, {}, picture);
        };
        // A caption label and its field; a field with entries is a choice.
        const auto field = [&](const char* label, int left, int top, int width, const char* caption,
                               const char* name, int fieldTop, const char* tip,
                               const char* entries = nullptr) {
            row(label, "label", twips(left, top, width, 240), caption);
            if (entries)
                row(name, "choice", twips(2460, fieldTop, 2175, 315), "", tip, entries);
            else
                row(name, "text", twips(2460, fieldTop, 2175, 300), "", tip);
        };
        const char* noYes = "No|Yes";

        row("PicHeader", "area", twips(0, 0, 9735, 2085), "");
        button("cmdNew", 5040, "&New", {24, 23});
        button("cmdOpen", 5940, "&Open", {24, 23});
        button("cmdSave", 6840, "&Save", {24, 23});
        button("cmdPrint", 7740, "&Print", {24, 23});
        button("cmdQuit", 8640, "&Quit", {16, 16});
        row("Frame4", "frame", twips(60, 2280, 4755, 1335), "Last Used Network Card");
        row("Frame1", "frame", twips(60, 3660, 4755, 1395), "Logon");
        row("Frame3", "frame", twips(60, 5100, 4755, 2475), "TCP/IP Settings");
        row("Frame2", "frame", twips(4920, 3300, 4755, 4275), "Extra Options");
        row("lblTip", "label", twips(60, 7680, 9615, 255),
            "Hold your mouse over over each item to see more information about each item.");

        parent = "PicHeader";
        row("imgLogo", "image", twips(0, 0, 1950, 2025), "", {}, {}, {130, 135});
        row("Label3", "label", twips(1980, 60, 7710, 495), "Corvane Startup Floppy");
        row("lblSubTitle", "label", twips(2040, 480, 7650, 495), "User Options Editor");
        row("lblVersion", "label", twips(2100, 900, 7650, 255), "Version X.X.X");
        row("lblNote", "label", twips(2040, 1140, 7650, 495),
            "This editor is designed for v5.7 Corvanes and has been untested on other versions.");
        row("Label2", "label", twips(4500, 1620, 2805, 270), "www.corvane.example");

        parent = "Frame4";
        row("Label5", "label", twips(60, 240, 4575, 855),
            "Menu defaults to this Network Card if NO card is auto-detected. Ideally select your "
            "non-autodetecting default here.");
        row("cmdGetCards", "button", twips(120, 900, 1155, 315), "&Update List");
        row("cboNIC", "editable choice", twips(1320, 900, 3375, 315), "Combo1");

        parent = "Frame1";
        field("Label1(0)", 600, 300, 1800, "Username:", "txtUsername", 240,
              "Username to logon to the network with");
        field("Label1(1)", 600, 660, 1800, "Password:", "txtPassword", 600,
              "Password for the above username");
        field("Label1(2)", 600, 1020, 1800, "Workgroup/Domain:", "txtDomain", 960,
              "Workgroup / Domain name");

        parent = "Frame3";
        field("Label1(6)", 600, 300, 1800, "Enable DHCP:", "cboDHCP", 240,
              "Use DHCP Automatic IP configuration?", "Use DHCP Settings|Static IP Settings");
        field("Label1(3)", 600, 660, 1800, "IP Address:", "txtIP", 600, "Static IP address to use");
        field("Label1(4)", 600, 1020, 1800, "Subnet Mask:", "txtSubnet", 960,
              "Static subnet mask to use");
        field("Label1(5)", 600, 1380, 1800, "Default Gateway:", "txtGateway", 1320,
              "Static Default Gateway to use");
        field("Label1(9)", 540, 1740, 1860, "DNS Server:", "txtDNS", 1680,
              "Static DNS Server IP Address");
        field("Label1(17)", 540, 2100, 1860, "WINS Server:", "txtWINS", 2040,
              "Static WINS Server IP address");

        parent = "Frame2";
        field("Label1(18)", 60, 300, 2340, "Network Redirector Type:", "cboRedirector", 240,
              "BASIC redirector is recommended unless you need domain authenication support, in "
              "which case the more memory intensive FULL redirector should be used.",
              "BASIC (Recommended)|FULL");
        field("Label1(11)", 60, 660, 2340, "Enable Packet Driver:", "cboPacket", 600,
              "Enable for GhostCast Support, or other DOS network-based apps", noYes);
        field("Label1(12)", 60, 1020, 2340, "Enable DNS Redirector:", "cboDNS", 960,
              "Enables resolves of DNS names to IP addresses", noYes);
        field("Label1(13)", 60, 1380, 2340, "Enable Mouse Driver:", "cboMouse", 1320,
              "Do you need Mouse support?", noYes);
        field("Label1(14)", 60, 1740, 2340, "Enable NTFS Script:", "cboNTFS", 1680,
              "Execute the NTFS Support script?", noYes);
        field("Label1(15)", 60, 2100, 2340, "Enable CD-ROM Support:", "cboCD", 2040,
              "Enable the CD-ROM Driver?", noYes);
        field("Label1(7)", 60, 2460, 2340, "Enable UDMA Support:", "cboUDMA", 2400,
              "Enable UDMA Support? Should speed up HDD access, but may cause "
              "perforamce/crashing issues.",
              noYes);
        field("Label1(10)", 600, 2820, 1800, "Computer Name:", "txtComputer", 2760,
              "Computer Name to use. Any name starting with KZ* will create a random computer "
              "name (KZxxxxxx) everytime the disk is booted.");
        field("Label1(16)", 60, 3180, 2340, "Auto-Execute Command:", "txtLogon", 3120,
              "DOS Command to execute upon completing the Kestrune script. eg: LOGON.BAT and "
              "place your LOGON.bat in the A:\\TARNDIR\\FILECOPY folder.");
        field("Label1(8)", 600, 3540, 1800, "Menu Timeout:", "txtTimeOut", 3480,
              "Number of seconds to wait until the menu automatically times out.");
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QString, entries);
        QFETCH(QSize, picture);

        m_window->show();
        auto* widget = m_window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QVERIFY(widget->isVisible() && widget->isEnabled());
        QCOMPARE(widget->toolTip(), tip);

        if (auto* label = qobject_cast<QLabel*>(widget); label && kind == "label") {
            QCOMPARE(label->text(), caption);
            // A caption may take more room on the side its alignment leaves
            // open, never more height, and it is never cut off.
            const QRect at = label->geometry();
            QCOMPARE(at.top(), geometry.top());
            QCOMPARE(at.bottom(), geometry.bottom());
            QVERIFY(at.contains(geometry));
            if (label->alignment() & Qt::AlignRight)
                QCOMPARE(at.right(), geometry.right());
            else if (label->alignment() & Qt::AlignHCenter)
                QVERIFY(qAbs(at.center().x() - geometry.center().x()) <= 1);
            else
                QCOMPARE(at.left(), geometry.left());
            QVERIFY(label->wordWrap() ||
                    label->fontMetrics().horizontalAdvance(caption) <= label->width());
            return;
        }
        QCOMPARE(widget->geometry(), geometry);

        if (kind == "area") {
            QCOMPARE(widget->metaObject()->className(), "QFrame");
        } else if (auto* image = qobject_cast<QLabel*>(widget); image && kind == "image") {
            QCOMPARE(image->pixmap().size(), picture);
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget); frame && kind == "frame") {
            QCOMPARE(frame->title(), caption);
        } else if (auto* button = qobject_cast<QToolButton*>(widget);
                   button && kind == "picture button") {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->iconSize(), picture);
        } else if (auto* plain = qobject_cast<QPushButton*>(widget); plain && kind == "button") {
            QCOMPARE(plain->text(), caption);
        } else if (auto* text = qobject_cast<QLineEdit*>(widget); text && kind == "text") {
            QCOMPARE(text->text(), QString());
            QCOMPARE(text->echoMode(), QLineEdit::Normal);
        } else if (auto* choice = qobject_cast<QComboBox*>(widget);
                   choice && kind.endsWith("choice")) {
            QCOMPARE(choice->isEditable(), kind == "editable choice");
            QCOMPARE(choice->currentText(), caption);
            QStringList texts;
            for (int i = 0; i < choice->count(); ++i) {
                texts << choice->itemText(i);
                QCOMPARE(choice->itemData(i).toInt(), i);
            }
            QCOMPARE(texts.join('|'), entries);
            QCOMPARE(choice->currentIndex(), -1);
        } else {
            QFAIL(qPrintable("not a " + kind));
        }
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
        expected.cboDHCP = 1;
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
        m_window->findChild<QLineEdit*>("txtUsername")->setText("unsaved edit");
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
        QVERIFY(m_platform->messages.isEmpty());
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
