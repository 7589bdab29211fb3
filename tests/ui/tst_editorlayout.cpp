#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace useropts;
using useropts::testing::ScriptedPlatform;

namespace {

// Twips as designed; 15 make a pixel.
QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

const QString kNoYes = "No|Yes";

QColor colourAt(const QImage& image, QPoint at)
{
    return QColor(image.pixel(at));
}

// Whether a region of a control's picture holds the colour in full strength
// anywhere, as the stems of text drawn in it do.
bool showsColour(QWidget* widget, const QColor& colour)
{
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (colourAt(image, {x, y}) == colour)
                return true;
        }
    }
    return false;
}

} // namespace

class TestEditorLayout : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;

    QWidget* find(const QString& name) const { return m_window->findChild<QWidget*>(name); }

  private slots:
    void init()
    {
        m_platform = std::make_unique<ScriptedPlatform>();
        m_window = std::make_unique<frmEditor>(*m_platform);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_platform.reset();
    }

    void window()
    {
        QCOMPARE(m_window->windowTitle(), QString("User Options Editor"));
        QCOMPARE(m_window->size(), QSize(649, 534));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("entries"); // '|' between entries 0 and 1

        const auto row = [](const char* name, const char* kind, const char* parent, QRect at,
                            const QString& caption = {}, const QString& tip = {},
                            const QString& entries = {}) {
            QTest::newRow(name) << QString(name) << QString(kind) << QString(parent) << at
                                << caption << tip << entries;
        };

        row("PicHeader", "area", "", twips(0, 0, 9735, 2085));
        row("imgLogo", "image", "PicHeader", twips(0, 0, 1950, 2025));
        row("Label3", "label", "PicHeader", twips(1980, 60, 7710, 495), "Corvane Startup Floppy");
        row("lblSubTitle", "label", "PicHeader", twips(2040, 480, 7650, 495),
            "User Options Editor");
        row("lblVersion", "label", "PicHeader", twips(2100, 900, 7650, 255), "Version X.X.X");
        row("lblNote", "label", "PicHeader", twips(2040, 1140, 7650, 495),
            "This editor is designed for v5.7 Corvanes and has been untested on other versions.");
        row("Label2", "label", "PicHeader", twips(4500, 1620, 2805, 270), "www.corvane.example");

        row("cmdNew", "picture button", "", twips(5040, 2340, 855, 795), "&New");
        row("cmdOpen", "picture button", "", twips(5940, 2340, 855, 795), "&Open");
        row("cmdSave", "picture button", "", twips(6840, 2340, 855, 795), "&Save");
        row("cmdPrint", "picture button", "", twips(7740, 2340, 855, 795), "&Print");
        row("cmdQuit", "picture button", "", twips(8640, 2340, 855, 795), "&Quit");

        row("Frame4", "frame", "", twips(60, 2280, 4755, 1335), "Last Used Network Card");
        row("Frame1", "frame", "", twips(60, 3660, 4755, 1395), "Logon");
        row("Frame3", "frame", "", twips(60, 5100, 4755, 2475), "TCP/IP Settings");
        row("Frame2", "frame", "", twips(4920, 3300, 4755, 4275), "Extra Options");

        row("Label5", "label", "Frame4", twips(60, 240, 4575, 855),
            "Menu defaults to this Network Card if NO card is auto-detected. Ideally select your "
            "non-autodetecting default here.");
        row("cmdGetCards", "button", "Frame4", twips(120, 900, 1155, 315), "&Update List");
        row("cboNIC", "editable choice", "Frame4", twips(1320, 900, 3375, 315), "Combo1");

        row("Label1(0)", "label", "Frame1", twips(600, 300, 1800, 240), "Username:");
        row("txtUsername", "text", "Frame1", twips(2460, 240, 2175, 300), "",
            "Username to logon to the network with");
        row("Label1(1)", "label", "Frame1", twips(600, 660, 1800, 240), "Password:");
        row("txtPassword", "text", "Frame1", twips(2460, 600, 2175, 300), "",
            "Password for the above username");
        row("Label1(2)", "label", "Frame1", twips(600, 1020, 1800, 240), "Workgroup/Domain:");
        row("txtDomain", "text", "Frame1", twips(2460, 960, 2175, 300), "",
            "Workgroup / Domain name");

        row("Label1(6)", "label", "Frame3", twips(600, 300, 1800, 240), "Enable DHCP:");
        row("cboDHCP", "choice", "Frame3", twips(2460, 240, 2175, 315), "",
            "Use DHCP Automatic IP configuration?", "Use DHCP Settings|Static IP Settings");
        row("Label1(3)", "label", "Frame3", twips(600, 660, 1800, 240), "IP Address:");
        row("txtIP", "text", "Frame3", twips(2460, 600, 2175, 300), "", "Static IP address to use");
        row("Label1(4)", "label", "Frame3", twips(600, 1020, 1800, 240), "Subnet Mask:");
        row("txtSubnet", "text", "Frame3", twips(2460, 960, 2175, 300), "",
            "Static subnet mask to use");
        row("Label1(5)", "label", "Frame3", twips(600, 1380, 1800, 240), "Default Gateway:");
        row("txtGateway", "text", "Frame3", twips(2460, 1320, 2175, 300), "",
            "Static Default Gateway to use");
        row("Label1(9)", "label", "Frame3", twips(540, 1740, 1860, 240), "DNS Server:");
        row("txtDNS", "text", "Frame3", twips(2460, 1680, 2175, 300), "",
            "Static DNS Server IP Address");
        row("Label1(17)", "label", "Frame3", twips(540, 2100, 1860, 240), "WINS Server:");
        row("txtWINS", "text", "Frame3", twips(2460, 2040, 2175, 300), "",
            "Static WINS Server IP address");

        row("Label1(18)", "label", "Frame2", twips(60, 300, 2340, 240), "Network Redirector Type:");
        row("cboRedirector", "choice", "Frame2", twips(2460, 240, 2175, 315), "",
            "BASIC redirector is recommended unless you need domain authenication support, in "
            "which case the more memory intensive FULL redirector should be used.",
            "BASIC (Recommended)|FULL");
        row("Label1(11)", "label", "Frame2", twips(60, 660, 2340, 240), "Enable Packet Driver:");
        row("cboPacket", "choice", "Frame2", twips(2460, 600, 2175, 315), "",
            "Enable for GhostCast Support, or other DOS network-based apps", kNoYes);
        row("Label1(12)", "label", "Frame2", twips(60, 1020, 2340, 240), "Enable DNS Redirector:");
        row("cboDNS", "choice", "Frame2", twips(2460, 960, 2175, 315), "",
            "Enables resolves of DNS names to IP addresses", kNoYes);
        row("Label1(13)", "label", "Frame2", twips(60, 1380, 2340, 240), "Enable Mouse Driver:");
        row("cboMouse", "choice", "Frame2", twips(2460, 1320, 2175, 315), "",
            "Do you need Mouse support?", kNoYes);
        row("Label1(14)", "label", "Frame2", twips(60, 1740, 2340, 240), "Enable NTFS Script:");
        row("cboNTFS", "choice", "Frame2", twips(2460, 1680, 2175, 315), "",
            "Execute the NTFS Support script?", kNoYes);
        row("Label1(15)", "label", "Frame2", twips(60, 2100, 2340, 240), "Enable CD-ROM Support:");
        row("cboCD", "choice", "Frame2", twips(2460, 2040, 2175, 315), "",
            "Enable the CD-ROM Driver?", kNoYes);
        row("Label1(7)", "label", "Frame2", twips(60, 2460, 2340, 240), "Enable UDMA Support:");
        row("cboUDMA", "choice", "Frame2", twips(2460, 2400, 2175, 315), "",
            "Enable UDMA Support? Should speed up HDD access, but may cause perforamce/crashing "
            "issues.",
            kNoYes);
        row("Label1(10)", "label", "Frame2", twips(600, 2820, 1800, 240), "Computer Name:");
        row("txtComputer", "text", "Frame2", twips(2460, 2760, 2175, 300), "",
            "Computer Name to use. Any name starting with KZ* will create a random computer name "
            "(KZxxxxxx) everytime the disk is booted.");
        row("Label1(16)", "label", "Frame2", twips(60, 3180, 2340, 240), "Auto-Execute Command:");
        row("txtLogon", "text", "Frame2", twips(2460, 3120, 2175, 300), "",
            "DOS Command to execute upon completing the Kestrune script. eg: LOGON.BAT and place "
            "your LOGON.bat in the A:\\TARNDIR\\FILECOPY folder.");
        row("Label1(8)", "label", "Frame2", twips(600, 3540, 1800, 240), "Menu Timeout:");
        row("txtTimeOut", "text", "Frame2", twips(2460, 3480, 2175, 300), "",
            "Number of seconds to wait until the menu automatically times out.");

        row("lblTip", "label", "", twips(60, 7680, 9615, 255),
            "Hold your mouse over over each item to see more information about each item.");
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

        QWidget* widget = find(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QVERIFY(widget->isVisible());
        QVERIFY(widget->isEnabled());
        QCOMPARE(widget->toolTip(), tip);

        if (auto* label = qobject_cast<QLabel*>(widget); label && kind == "label") {
            QCOMPARE(label->text(), caption);
            // A caption may take more room beside it where its alignment
            // lets it, never more height; and it is never cut off.
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
            if (!label->wordWrap()) {
                QVERIFY2(label->fontMetrics().horizontalAdvance(caption) <= label->width(),
                         "caption cut off");
            }
            return;
        }
        QCOMPARE(widget->geometry(), geometry);

        if (kind == "area") {
            QCOMPARE(widget->metaObject()->className(), "QFrame");
        } else if (kind == "image") {
            QVERIFY(qobject_cast<QLabel*>(widget));
        } else if (kind == "frame") {
            auto* frame = qobject_cast<QGroupBox*>(widget);
            QVERIFY(frame);
            QCOMPARE(frame->title(), caption);
        } else if (kind == "picture button") {
            auto* button = qobject_cast<QToolButton*>(widget);
            QVERIFY(button);
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        } else if (kind == "button") {
            auto* button = qobject_cast<QPushButton*>(widget);
            QVERIFY(button);
            QCOMPARE(button->text(), caption);
        } else if (kind == "text") {
            auto* field = qobject_cast<QLineEdit*>(widget);
            QVERIFY(field);
            QCOMPARE(field->text(), QString());
            QCOMPARE(field->echoMode(), QLineEdit::Normal);
        } else if (kind == "choice" || kind == "editable choice") {
            auto* choice = qobject_cast<QComboBox*>(widget);
            QVERIFY(choice);
            QCOMPARE(choice->isEditable(), kind == "editable choice");
            QCOMPARE(choice->currentText(), caption);
            QStringList texts;
            for (int i = 0; i < choice->count(); ++i) {
                texts << choice->itemText(i);
                QCOMPARE(choice->itemData(i).toInt(), i);
            }
            QCOMPARE(texts.join('|'), entries);
            if (!entries.isEmpty())
                QCOMPARE(choice->currentIndex(), -1);
        } else {
            QFAIL(qPrintable("unknown kind " + kind));
        }
    }

    void everyFieldIsNamedForAssistiveTools()
    {
        for (const Field field : allFields()) {
            QWidget* widget = find(QString::fromLatin1(fieldObjectName(field)));
            QVERIFY(widget);
            QVERIFY2(!widget->accessibleName().isEmpty(), fieldObjectName(field));
        }
        QCOMPARE(find("txtUsername")->accessibleName(), QString("Username"));
    }

    void tabVisitsTheFieldsInOrder()
    {
        const QStringList order = {
            "txtUsername", "txtPassword", "txtDomain", "cboDHCP",       "txtIP",       "txtSubnet",
            "txtGateway",  "txtDNS",      "txtWINS",   "cboRedirector", "cboPacket",   "cboDNS",
            "cboMouse",    "cboNTFS",     "cboCD",     "cboUDMA",       "txtComputer", "txtLogon",
            "txtTimeOut",  "cmdNew",      "cmdOpen",   "cmdSave",       "cmdQuit",     "cmdPrint",
            "cmdGetCards", "cboNIC",
        };
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(QApplication::focusWidget()->objectName(), order.first());

        QStringList forward{QApplication::focusWidget()->objectName()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forward << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(forward, order);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[order.size() - 2]);
    }

    void colours()
    {
        const QImage header = find("PicHeader")->grab().toImage();
        QCOMPARE(colourAt(header, {header.width() - 3, header.height() - 3}), QColor("#FFFFFF"));
        const QImage tipBar = find("lblTip")->grab().toImage();
        QCOMPARE(colourAt(tipBar, {3, tipBar.height() / 2}), QColor("#FFFFC0"));

        QVERIFY(showsColour(find("Label3"), QColor("#000080")));
        QVERIFY(showsColour(find("Label2"), QColor("#0000FF")));
        QVERIFY(showsColour(find("lblTip"), QColor("#0000C0")));
        QVERIFY(showsColour(find("Frame2"), QColor("#0000C0")));
        // The frame caption's colour stays in the caption.
        auto* user = qobject_cast<QLineEdit*>(find("txtUsername"));
        user->setText("WWWW");
        QVERIFY(!showsColour(user, QColor("#0000C0")));
        QVERIFY(!showsColour(find("Label1(0)"), QColor("#0000C0")));
        QVERIFY(!showsColour(find("Label5"), QColor("#0000C0")));
    }
};

QTEST_MAIN(TestEditorLayout)
#include "tst_editorlayout.moc"
