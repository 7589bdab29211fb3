#include "ui/frmEditor.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramVersion.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QUrl>

#include <utility>

namespace useropts {

namespace {

const QString kNotSavedTitle = QStringLiteral("USEROPTS.BAT NOT Saved");
const QString kNotSavedText = QStringLiteral("Menu Settings have not been saved!");

// The fields that only matter without DHCP.
constexpr std::array<Field, 5> kStaticAddressFields = {
    Field::txtIP, Field::txtSubnet, Field::txtGateway, Field::txtDNS, Field::txtWINS};

QString readWarningText(const QString& path)
{
    return path.toUpper() + QStringLiteral(" could not be fully read correctly.") +
           QStringLiteral("\r\r") +
           QStringLiteral("This editor may not be able to read updated USEROPTS.BAT files from "
                          "future releases of Corvane. In this case, check ") +
           QString::fromLatin1(kMakerSiteHost) +
           QStringLiteral(" for newer releases of this editor.");
}

// Far beyond any settings file, yet a file that holds no line ends cannot
// make the editor read for ever.
constexpr qint64 kMaxSettingsBytes = 16 * 1024 * 1024;

} // namespace

frmEditor::frmEditor(PlatformServices& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform), CommonDialog1(platform, this),
      m_cardDirectory(QCoreApplication::applicationDirPath()), m_controls(buildEditorLayout(this))
{
    for (const Field field : allFields()) {
        QWidget* control = textField(field);
        if (!control)
            control = choiceField(field);
        control->setAccessibleName(fieldCaption(field));
    }

    const std::pair<QAbstractButton*, void (frmEditor::*)()> clicks[] = {
        {m_controls.cmdNew, &frmEditor::cmdNew_Click},
        {m_controls.cmdOpen, &frmEditor::cmdOpen_Click},
        {m_controls.cmdSave, &frmEditor::cmdSave_Click},
        {m_controls.cmdPrint, &frmEditor::cmdPrint_Click},
        {m_controls.cmdGetCards, &frmEditor::cmdGetCards_Click},
        {m_controls.cmdQuit, &frmEditor::cmdQuit_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QAbstractButton::clicked, this, handler);

    // A pick by the user and a selection made by the program alike.
    QComboBox* dhcp = choiceField(Field::cboDHCP);
    connect(dhcp, &QComboBox::currentIndexChanged, this, &frmEditor::cboDHCP_Click);
    connect(dhcp, &QComboBox::activated, this, &frmEditor::cboDHCP_Click);
    dhcp->installEventFilter(this);

    // The other header labels and the logo track nothing, so moving over them
    // leaves the hover state as it was.
    m_controls.PicHeader->setMouseTracking(true);
    m_controls.PicHeader->installEventFilter(this);
    m_controls.Label2->setMouseTracking(true);
    m_controls.Label2->installEventFilter(this);
}

void frmEditor::Form_Load()
{
    // The order matters: the card list must be loaded before a file names a
    // card, and the defaults fill in only when no file gave a user.
    m_controls.lblVersion->setText(QStringLiteral("Editor Version ") + programVersion());
    show();
    ReadCardData();
    cmdOpen_Click();
    if (textField(Field::txtUsername)->text().isEmpty() &&
        textField(Field::txtPassword)->text().isEmpty())
        NewSettings();
}

void frmEditor::cmdNew_Click()
{
    NewSettings();
}

void frmEditor::NewSettings()
{
    const EditorFields defaults = defaultSettings();
    for (const Field field : defaultsOrder())
        applyField(field, defaults);
}

void frmEditor::cmdOpen_Click()
{
    CommonDialog1.setDialogTitle(QStringLiteral("Open USEROPTS.BAT to modify"));
    CommonDialog1.setFileName(strSettingsFile);
    if (!CommonDialog1.ShowOpen())
        return;
    strSettingsFile = CommonDialog1.fileName();
    if (strSettingsFile.isEmpty())
        return;
    ReadSettings(strSettingsFile);
}

void frmEditor::ReadSettings(const QString& path)
{
    // Only as far as the last setting: whatever follows, however large, is
    // never read.
    QByteArray bytes;
    const Result<> head = readFileHead(path, kLineCount, kMaxSettingsBytes, bytes);

    // Each field shows its value as soon as its line is read, so the DHCP
    // choice has set the address fields before they are filled.
    EditorFields values = fields();
    ReadOptions options;
    options.random = m_random;
    options.fieldApplied = [this, &values](Field field) { applyField(field, values); };
    const Result<> read = readSettings(bytes, values, options);

    // A file that could not be read is the cause, whatever its lines lack.
    const Result<>& outcome = head.ok() ? read : head;
    if (!outcome.ok()) {
        showWarning(QStringLiteral("Error Reading USEROPTS.BAT"),
                    readWarningText(path) + QStringLiteral("\r\r") + outcome.failure().sentence());
    }
}

void frmEditor::cmdSave_Click()
{
    CommonDialog1.setDialogTitle(QStringLiteral("Save USEROPTS.BAT"));
    CommonDialog1.setFileName(strSettingsFile.toUpper());
    const bool chosen = CommonDialog1.ShowSave();
    strSettingsFile = CommonDialog1.fileName();
    if (!chosen)
        return;
    if (strSettingsFile.isEmpty()) {
        showWarning(kNotSavedTitle, kNotSavedText);
        return;
    }
    if (const Result<> written = SaveSettings(strSettingsFile); !written.ok()) {
        showWarning(kNotSavedTitle,
                    kNotSavedText + QStringLiteral("\r\r") + written.failure().sentence());
        return;
    }
    MessageRequest saved;
    saved.title = QStringLiteral("USEROPTS.BAT Saved");
    saved.text = QStringLiteral("Settings saved to ") + strSettingsFile;
    saved.icon = MessageIcon::Information;
    m_platform.message(this, saved);
}

Result<> frmEditor::SaveSettings(const QString& path)
{
    // The whole file is built first and replaces the old one only once it is
    // complete on disk: a failure leaves the old file exactly as it was.
    const Result<QByteArray> built = writeSettings(fields());
    if (!built.ok())
        return built.failure();
    return writeWholeFile(path, built.value());
}

void frmEditor::cboDHCP_Click()
{
    // Without a choice yet the addresses stay open, as with static settings.
    const bool staticAddresses = choiceField(Field::cboDHCP)->currentIndex() != 0;
    for (const Field field : kStaticAddressFields)
        textField(field)->setEnabled(staticAddresses);
}

void frmEditor::cboDHCP_KeyPress()
{
    cboDHCP_Click();
}

void frmEditor::cmdQuit_Click()
{
    close();
}

void frmEditor::Label2_Click()
{
    m_platform.openUrl(QUrl(QStringLiteral("http://") + QString::fromLatin1(kMakerSiteHost)));
}

void frmEditor::Label2_MouseMove()
{
    QFont font = m_controls.Label2->font();
    font.setBold(true);
    m_controls.Label2->setFont(font);
    setCursor(Qt::WhatsThisCursor);
}

void frmEditor::PicHeader_MouseMove()
{
    QFont font = m_controls.Label2->font();
    font.setBold(false);
    m_controls.Label2->setFont(font);
    unsetCursor();
}

EditorFields frmEditor::fields() const
{
    EditorFields values;
    for (const Field field : allFields()) {
        if (isChoice(field))
            values.choice(field) = choiceField(field)->currentIndex();
        else if (field == Field::cboNIC)
            values.cboNIC = choiceField(field)->currentText();
        else
            values.text(field) = textField(field)->text();
    }
    return values;
}

void frmEditor::applyField(Field field, const EditorFields& values)
{
    if (isChoice(field))
        choiceField(field)->setCurrentIndex(values.choice(field));
    else if (field == Field::cboNIC)
        choiceField(field)->setEditText(values.cboNIC);
    else
        textField(field)->setText(values.text(field));
}

void frmEditor::setRandomSource(UnitRandom random)
{
    m_random = std::move(random);
}

void frmEditor::setCardDirectory(const QString& directory)
{
    m_cardDirectory = directory;
}

QString frmEditor::cardDirectory() const
{
    return m_cardDirectory;
}

bool frmEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_controls.Label2) {
        switch (event->type()) {
        case QEvent::MouseMove:
            // Taken here, so that the header beneath does not undo it.
            Label2_MouseMove();
            event->accept();
            return true;
        case QEvent::MouseButtonPress:
            event->accept();
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_controls.Label2->rect().contains(mouse->position().toPoint()))
                Label2_Click();
            event->accept();
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_controls.PicHeader && event->type() == QEvent::MouseMove) {
        PicHeader_MouseMove();
    } else if (watched == choiceField(Field::cboDHCP) && event->type() == QEvent::KeyPress) {
        // The rule sees the selection before the key; if the key changes the
        // selection, the change runs the rule again.
        cboDHCP_KeyPress();
    }
    return QWidget::eventFilter(watched, event);
}

QLineEdit* frmEditor::textField(Field field) const
{
    return m_controls.texts[static_cast<std::size_t>(field)];
}

QComboBox* frmEditor::choiceField(Field field) const
{
    return m_controls.choices[static_cast<std::size_t>(field)];
}

void frmEditor::showWarning(const QString& title, const QString& text)
{
    MessageRequest warning;
    warning.title = title;
    warning.text = text;
    warning.icon = MessageIcon::Warning;
    m_platform.message(this, warning);
}

} // namespace useropts
