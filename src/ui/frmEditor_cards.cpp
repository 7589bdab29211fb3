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

#include <optional>

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
    QComboBox* cards = choiceField(Field::cboNIC);
    const CardFileLoad load = loadCardFile(cardDirectory());

    // The chosen card is a setting of its own: reloading the list leaves the
    // choice's text as it was. One addItems keeps a long list quick.
    const QString chosen = cards->currentText();
    cards->clear();
    cards->addItems(load.entries);
    cards->setCurrentIndex(-1);
    cards->setEditText(chosen);

    switch (load.status) {
    case CardFileLoad::Status::Loaded:
        return;
    case CardFileLoad::Status::Missing:
        GetCardData();
        return;
    case CardFileLoad::Status::Failed:
        m_platform.message(this,
                           plainMessage(QString::fromLatin1(kWindowCaption),
                                        QStringLiteral("Error Reading CARDDATA.TXT - Error: ") +
                                            QString::number(load.errorNumber),
                                        MessageIcon::None));
        return;
    }
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
        auto* button = findChild<QAbstractButton*>(QStringLiteral("cmdGetCards"));
        button->setEnabled(false);
        const auto enableAgain = qScopeGuard([button] { button->setEnabled(true); });

        HttpResult answer;
        {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
            answer = m_platform.httpGet(
                QUrl(QStringLiteral("http://") + host + QStringLiteral("/carddata.txt")),
                HttpTimeouts{});
        }

        // Nothing but a complete card list may replace the one the user has.
        std::optional<QString> failure;
        if (!answer.ok())
            failure = answer.errorText;
        else
            failure = notACardList(answer.body, answer.contentType);
        if (!failure) {
            failure =
                replaceCardFile(cardFileForUpdate(cardDirectory()), storedCardList(answer.body));
        }
        if (failure) {
            m_platform.message(
                this, plainMessage(kNotUpdatedTitle,
                                   *failure + QStringLiteral("\n\nThe card list was left as "
                                                             "it was."),
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
