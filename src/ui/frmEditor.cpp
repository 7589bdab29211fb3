// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmEditor.h"

#include "common/Messages.h"
#include "common/ProgramVersion.h"
#include "floppy/FloppyImage.h"
#include "floppy/SettingsPlace.h"
#include "settings/BootCautions.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "ui/FileDrops.h"
#include "ui/KeyboardHelp.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"
#include "ui/PrintedReport.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolTip>
#include <QUrl>

#include <tuple>
#include <utility>

namespace useropts {

namespace {

const QString kNotSavedTitle = QStringLiteral("USEROPTS.BAT NOT Saved");
const QString kNotSavedText = QStringLiteral("Menu Settings have not been saved!");

// The fields that only matter without DHCP.
constexpr std::array<Field, 5> kStaticAddressFields = {
    Field::IpAddress, Field::SubnetMask, Field::DefaultGateway, Field::Dns, Field::Wins};

QString readWarningText(const QString& path)
{
    return path.toUpper() + QStringLiteral(" could not be fully read correctly.") +
           kParagraphBreak +
           QStringLiteral("This editor may not be able to read updated USEROPTS.BAT files from "
                          "future releases of Corvane. In this case, check ") +
           QString::fromLatin1(kMakerSiteHost) +
           QStringLiteral(" for newer releases of this editor.");
}

} // namespace

frmEditor::frmEditor(PlatformServices& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform),
      CommonDialog1(platform, this), m_cardPlaces{QCoreApplication::applicationDirPath(), {}},
      m_controls(buildEditorLayout(this)), m_keyboardHelp(new KeyboardHelp(this))
{
    // Each button's handler, and the desktop's standard keys for it.
    using Handler = void (frmEditor::*)();
    const std::tuple<QAbstractButton*, Handler, QKeySequence::StandardKey> clicks[] = {
        {m_controls.cmdNew, &frmEditor::cmdNew_Click, QKeySequence::New},
        {m_controls.cmdOpen, &frmEditor::cmdOpen_Click, QKeySequence::Open},
        {m_controls.cmdSave, &frmEditor::cmdSave_Click, QKeySequence::Save},
        {m_controls.cmdPrint, &frmEditor::cmdPrint_Click, QKeySequence::Print},
        {m_controls.cmdGetCards, &frmEditor::cmdGetCards_Click, QKeySequence::UnknownKey},
        {m_controls.cmdQuit, &frmEditor::cmdQuit_Click, QKeySequence::Quit},
    };
    for (const auto& [button, handler, keys] : clicks) {
        connect(button, &QAbstractButton::clicked, this, handler);
        m_keyboardHelp->pressOnEnter(button);
        m_keyboardHelp->pressOnKeys(button, keys);
    }

    // The web link without a mouse: F1 anywhere in the window, and the press
    // action that assistive technology finds on the link, which runs the
    // first action added to it. The link stays out of the tab order.
    auto* openMakerSite = new QAction(this);
    openMakerSite->setShortcut(QKeySequence(Qt::Key_F1));
    connect(openMakerSite, &QAction::triggered, this, &frmEditor::Label2_Click);
    addAction(openMakerSite);
    m_controls.Label2->addAction(openMakerSite);

    // Each setting's tip also shows when the keyboard brings the focus to it;
    // a file dropped on a setting opens it.
    auto* drops = new FileDrops(this, [this](const QString& path) { openFile(path); });
    for (const Field field : allFields()) {
        QWidget* control = textField(field);
        if (!control)
            control = choiceField(field);
        m_keyboardHelp->showTipOnFocus(control);
        drops->watch(control);
    }
    drops->watch(choiceField(Field::NetCard)->lineEdit());

    // A pick by the user and a selection made by the program alike.
    QComboBox* dhcp = choiceField(Field::DisableDhcp);
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

void frmEditor::Form_Load(const QString& file)
{
    // The order matters: the card list must be loaded before a file names a
    // card, and the defaults fill in only when no file gave a user.
    m_controls.lblVersion->setText(QStringLiteral("Editor Version ") + programVersion());
    show();
    ReadCardData();
    if (!isVisible()) // closed while the card list downloaded
        return;
    if (file.isEmpty())
        cmdOpen_Click();
    else
        openFile(file);
    if (textField(Field::UserName)->text().isEmpty() &&
        textField(Field::Password)->text().isEmpty())
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

void frmEditor::openFile(const QString& path)
{
    // As if picked in the Open dialog, which offers it next time.
    strSettingsFile = path;
    CommonDialog1.setFileName(path);
    ReadSettings(strSettingsFile);
}

void frmEditor::ReadSettings(const QString& path)
{
    // Each field shows its value as soon as its line is read, so the DHCP
    // choice has set the address fields before they are filled.
    EditorFields values = fields();
    ReadOptions options;
    options.random = m_random;
    options.fieldApplied = [this, &values](Field field) { applyField(field, values); };
    const OpenedSettings opened = openSettings(m_platform.processes(), path, values, options);
    m_imageFile = opened.place.image ? path : QString();
    if (opened.failure) {
        showWarning(QStringLiteral("Error Reading USEROPTS.BAT"),
                    readWarningText(shownSettingsFile(path)) + kParagraphBreak +
                        opened.failure->sentence());
    }
}

QString frmEditor::shownSettingsFile(const QString& path) const
{
    return !path.isEmpty() && path == m_imageFile ? settingsFileInImage(path) : path;
}

void frmEditor::cmdSave_Click()
{
    CommonDialog1.setDialogTitle(QStringLiteral("Save USEROPTS.BAT"));
    // The file as it is on disk: where letter case counts, the upper-cased
    // name would be another file, and saving would replace that one.
    CommonDialog1.setFileName(strSettingsFile);
    const bool chosen = CommonDialog1.ShowSave();
    strSettingsFile = CommonDialog1.fileName();
    if (!chosen)
        return;
    if (strSettingsFile.isEmpty()) {
        showWarning(kNotSavedTitle, kNotSavedText);
        return;
    }
    if (const Result<> written = SaveSettings(strSettingsFile); !written.ok()) {
        showWarning(kNotSavedTitle, kNotSavedText + kParagraphBreak + written.failure().sentence());
        return;
    }
    MessageRequest saved;
    saved.title = QStringLiteral("USEROPTS.BAT Saved");
    saved.text = QStringLiteral("Settings saved to ") + shownSettingsFile(strSettingsFile);
    // What the boot menu reads whole, the DOS shell may cut when it runs the
    // file: the bytes stay as written, and the user is told below.
    QStringList cautions;
    for (const BootCaution& caution : bootCautions(writeSettings(fields()).value()))
        cautions << fieldCaption(caution.field) + u' ' + cautionText(caution);
    if (!cautions.isEmpty())
        saved.text += kParagraphBreak + cautions.join(u'\r');
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
    // An existing floppy image gets the file inside it; a file that only
    // looks like one is left alone rather than written over.
    const Result<SettingsPlace> place = settingsPlace(path);
    if (!place.ok()) {
        return Failure{cannotWrite(QDir::toNativeSeparators(path), place.failure().reason)};
    }
    const Result<> written =
        writeSettingsBytes(m_platform.processes(), place.value(), built.value());
    if (written.ok())
        m_imageFile = place.value().image ? path : QString();
    return written;
}

void frmEditor::cmdPrint_Click()
{
    printReport(*this,
                {m_controls.lblSubTitle,
                 m_controls.lblNote,
                 m_controls.lblTip,
                 {m_controls.cmdNew, m_controls.cmdOpen, m_controls.cmdSave, m_controls.cmdPrint,
                  m_controls.cmdQuit}},
                m_platform,
                QStringLiteral("Filename: ") +
                    shownSettingsFile(CommonDialog1.fileName()).toUpper(),
                strSettingsFile);
}

void frmEditor::cboDHCP_Click()
{
    // Without a choice yet the addresses stay open, as with static settings.
    const bool staticAddresses = choiceField(Field::DisableDhcp)->currentIndex() != 0;
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
        switch (settingRow(field).kind()) {
        case FieldKind::Choice:
            values.choice(field) = choiceField(field)->currentIndex();
            break;
        case FieldKind::EditableChoice:
            values.text(field) = choiceField(field)->currentText();
            break;
        case FieldKind::Text:
            values.text(field) = textField(field)->text();
            break;
        }
    }
    return values;
}

void frmEditor::applyField(Field field, const EditorFields& values)
{
    switch (settingRow(field).kind()) {
    case FieldKind::Choice:
        choiceField(field)->setCurrentIndex(values.choice(field));
        break;
    case FieldKind::EditableChoice:
        choiceField(field)->setEditText(values.text(field));
        break;
    case FieldKind::Text:
        textField(field)->setText(values.text(field));
        break;
    }
}

void frmEditor::setRandomSource(UnitRandom random)
{
    m_random = std::move(random);
}

void frmEditor::setCardPlaces(const CardPlaces& places)
{
    m_cardPlaces = places;
}

void frmEditor::setCardDirectory(const QString& directory)
{
    m_cardPlaces = CardPlaces{directory, {}};
}

bool frmEditor::eventFilter(QObject* watched, QEvent* event)
{
    // A disabled window's filters still see its input, as while the card
    // list downloads; Qt's own controls ignore it then, and so do ours.
    if (!isEnabled())
        return QWidget::eventFilter(watched, event);
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
    } else if (watched == choiceField(Field::DisableDhcp) && event->type() == QEvent::KeyPress) {
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
