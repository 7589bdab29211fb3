#include "ui/frmEditor.h"

#include "cards/CardDownload.h"
#include "cards/CardFile.h"
#include "ui/EditorLayout.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QScopeGuard>
#include <QUrl>

namespace useropts {

namespace {

const QString kNotUpdatedTitle = QStringLiteral("CARDDATA.TXT Not Updated");

MessageRequest plainMessage(QString title, QString text, MessageIcon icon)
{
    MessageRequest message;
    message.title = std::move(title);
    message.text = std::move(text);
    message.icon = icon;
    return message;
}

} // namespace

void frmEditor::ReadCardData()
{
    QComboBox* cards = choiceField(Field::NetCard);
    QStringList entries;
    const Result<> load = loadCardFile(cardFolderToRead(m_cardPlaces), entries);

    // The chosen card is a setting of its own: reloading the list leaves the
    // choice's text as it was. One addItems keeps a long list quick.
    const QString chosen = cards->currentText();
    cards->clear();
    cards->addItems(entries);
    cards->setCurrentIndex(-1);
    cards->setEditText(chosen);

    if (load.ok())
        return;
    if (load.failure().errorNumber == CardFileError::Missing) {
        GetCardData();
        return;
    }
    m_platform.message(this, plainMessage(QString::fromLatin1(kWindowCaption),
                                          QStringLiteral("Error Reading CARDDATA.TXT - Error: ") +
                                              QString::number(load.failure().errorNumber),
                                          MessageIcon::None));
}

void frmEditor::GetCardData()
{
    const QString host = QString::fromLatin1(kMakerSiteHost);
    MessageRequest question =
        plainMessage(QStringLiteral("Connect to ") + host,
                     QStringLiteral("Do you want to connect to ") + host +
                         QStringLiteral(" via HTTP to download the latest Network Card list?"),
                     MessageIcon::Question);
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::Yes;
    if (m_platform.message(this, question) != MessageAnswer::Yes) {
        m_platform.message(
            this, plainMessage(QStringLiteral("CARDDATA.TXT Not Found"),
                               QStringLiteral("Please extract the CARDDATA.TXT from the FILES.UHA "
                                              "archive and place it in the same directory as this "
                                              "program."),
                               MessageIcon::Warning));
        return;
    }

    {
        // However the update ends, the button works again afterwards.
        QAbstractButton* button = m_controls.cmdGetCards;
        button->setEnabled(false);
        const auto enableAgain = qScopeGuard([button] { button->setEnabled(true); });

        const Result<HttpAnswer> answer = [&] {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
            return m_platform.httpGet(
                QUrl(QStringLiteral("http://") + host + QStringLiteral("/carddata.txt")),
                HttpTimeouts{});
        }();

        // Nothing but a complete card list may replace the one the user has.
        Result<> stored = answer.ok()
                              ? checkCardList(answer.value().body, answer.value().contentType)
                              : Result<>(answer.failure());
        if (stored.ok())
            stored = storeCardList(m_cardPlaces.own, storedCardList(answer.value().body));
        if (!stored.ok()) {
            m_platform.message(
                this, plainMessage(kNotUpdatedTitle,
                                   stored.failure().sentence() +
                                       QStringLiteral("\n\nThe card list was left as it was."),
                                   MessageIcon::Warning));
            return;
        }
        m_platform.message(this,
                           plainMessage(QStringLiteral("Update"), QStringLiteral("Update Complete"),
                                        MessageIcon::Information));
    }
    ReadCardData();
}

void frmEditor::cmdGetCards_Click()
{
    GetCardData();
}

} // namespace useropts
