#include "ui/frmEditor.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "ui/EditorLayoutBuilder.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramVersion.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QUrl>

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

// A clause as a sentence of its own.
QString asSentence(QString clause)
{
    if (!clause.isEmpty())
        clause[0] = clause[0].toUpper();
    if (!clause.endsWith(u'.'))
        clause += u'.';
    return clause;
}

// Far beyond any settings file, yet a file that holds no line ends cannot
// make the editor read for ever.
constexpr qint64 kMaxSettingsBytes = 16 * 1024 * 1024;

} // namespace

frmEditor::frmEditor(PlatformServices& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform), CommonDialog1(platform, this),
      m_cardDirectory(QCoreApplication::applicationDirPath())
{
    buildEditorLayout(this);

    for (const Field field : allFields()) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(fieldObjectName(field)));
        Q_ASSERT(control);
        control->setAccessibleName(fieldCaption(field));
        m_fields[static_cast<std::size_t>(field)] = control;
    }
    m_picHeader = findChild<QWidget*>(QStringLiteral("PicHeader"));
    m_label2 = findChild<QLabel*>(QStringLiteral("Label2"));
    m_lblVersion = findChild<QLabel*>(QStringLiteral("lblVersion"));

    const auto onClick = [this](const char* name, void (frmEditor::*handler)()) {
        auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name));
        Q_ASSERT(button);
        connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    onClick("cmdNew", &frmEditor::cmdNew_Click);
    onClick("cmdOpen", &frmEditor::cmdOpen_Click);
    onClick("cmdSave", &frmEditor::cmdSave_Click);
    onClick("cmdPrint", &frmEditor::cmdPrint_Click);
    onClick("cmdGetCards", &frmEditor::cmdGetCards_Click);
    onClick("cmdQuit", &frmEditor::cmdQuit_Click);

    // A pick by the user and a selection made by the program alike.
    QComboBox* dhcp = choiceField(Field::cboDHCP);
    connect(dhcp, &QComboBox::currentIndexChanged, this, &frmEditor::cboDHCP_Click);
    connect(dhcp, &QComboBox::activated, this, &frmEditor::cboDHCP_Click);
    dhcp->installEventFilter(this);

    // The other header labels and the logo track nothing, so moving over them
    // leaves the hover state as it was.
    m_picHeader->setMouseTracking(true);
    m_picHeader->installEventFilter(this);
    m_label2->setMouseTracking(true);
    m_label2->installEventFilter(this);
}

void frmEditor::Form_Load()
{
    // The order matters: the card list must be loaded before a file names a
    // card, and the defaults fill in only when no file gave a user.
    m_lblVersion->setText(QStringLiteral("Editor Version ") + programVersion());
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
    const FileHead head = readFileHead(path, kLineCount, kMaxSettingsBytes);

    // Each field shows its value as soon as its line is read, so the DHCP
    // choice has set the address fields before they are filled.
    EditorFields values = fields();
    ReadOptions options;
    options.random = m_random;
    options.fieldApplied = [this, &values](Field field) { applyField(field, values); };
    const ReadOutcome outcome = readSettings(head.bytes, values, options);

    // A file that could not be read is the cause, whatever the lines it gave lack.
    std::optional<QString> why = head.failure;
    if (!why && !outcome.ok())
        why = outcome.failure->reason;
    if (why) {
        showWarning(QStringLiteral("Error Reading USEROPTS.BAT"),
                    readWarningText(path) + QStringLiteral("\r\r") + asSentence(*why));
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
    if (const auto why = SaveSettings(strSettingsFile)) {
        showWarning(kNotSavedTitle, kNotSavedText + QStringLiteral("\r\r") + *why);
        return;
    }
    MessageRequest saved;
    saved.title = QStringLiteral("USEROPTS.BAT Saved");
    saved.text = QStringLiteral("Settings saved to ") + strSettingsFile;
    saved.icon = MessageIcon::Information;
    m_platform.message(this, saved);
}

std::optional<QString> frmEditor::SaveSettings(const QString& path)
{
    // The whole file is built first and replaces the old one only once it is
    // complete on disk: a failure leaves the old file exactly as it was.
    const WriteOutcome built = writeSettings(fields());
    if (!built.ok()) {
        return QStringLiteral("Line %1 could not be written: %2.")
            .arg(built.failure->line)
            .arg(built.failure->reason);
    }
    if (const auto why = writeWholeFile(path, built.bytes)) {
        return QStringLiteral("%1 could not be written: %2.")
            .arg(QDir::toNativeSeparators(path), *why);
    }
    return std::nullopt;
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
    QFont font = m_label2->font();
    font.setBold(true);
    m_label2->setFont(font);
    setCursor(Qt::WhatsThisCursor);
}

void frmEditor::PicHeader_MouseMove()
{
    QFont font = m_label2->font();
    font.setBold(false);
    m_label2->setFont(font);
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
    if (watched == m_label2) {
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
                m_label2->rect().contains(mouse->position().toPoint()))
                Label2_Click();
            event->accept();
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_picHeader && event->type() == QEvent::MouseMove) {
        PicHeader_MouseMove();
    } else if (watched == m_fields[static_cast<std::size_t>(Field::cboDHCP)] &&
               event->type() == QEvent::KeyPress) {
        // The rule sees the selection before the key; if the key changes the
        // selection, the change runs the rule again.
        cboDHCP_KeyPress();
    }
    return QWidget::eventFilter(watched, event);
}

QLineEdit* frmEditor::textField(Field field) const
{
    return qobject_cast<QLineEdit*>(m_fields[static_cast<std::size_t>(field)]);
}

QComboBox* frmEditor::choiceField(Field field) const
{
    return qobject_cast<QComboBox*>(m_fields[static_cast<std::size_t>(field)]);
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
