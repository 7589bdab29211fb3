// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmEditor.h"

#include "cards/CardDownload.h"
#include "cards/CardFile.h"
#include "cards/CardList.h"
#include "common/Messages.h"
#include "common/ProgramVersion.h"
#include "ui/EditorLayout.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"
#include "ui/ShorterListQuestion.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
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
    if (load.failure().kind == FailureKind::Missing) {
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

        const Result<HttpAnswer> answer = downloadCardList(host);
        if (m_closeAfterDownload) {
            closeAfterDownload();
            return;
        }

        // Nothing but a complete card list may replace the one the user has.
        Result<> stored = answer.ok()
                              ? checkCardList(answer.value().body, answer.value().contentType)
                              : Result<>(answer.failure());
        if (stored.ok() &&
            !replacesShorterList(m_platform, this, m_cardPlaces, answer.value().body))
            return; // the user keeps the list
        if (stored.ok())
            stored = storeCardList(m_cardPlaces.own, storedCardList(answer.value().body));
        if (!stored.ok()) {
            m_platform.message(this,
                               plainMessage(kNotUpdatedTitle,
                                            stored.failure().sentence() + kParagraphBreak +
                                                QStringLiteral("The card list was left as it was."),
                                            MessageIcon::Warning));
            return;
        }
        m_platform.message(this,
                           plainMessage(QStringLiteral("Update"), QStringLiteral("Update Complete"),
                                        MessageIcon::Information));
    }
    ReadCardData();
}

Result<HttpAnswer> frmEditor::downloadCardList(const QString& host)
{
    // Nothing else in the window can be used meanwhile. The download's box
    // leaves the window unblocked in Qt's sense, so that a close of the window
    // still reaches closeEvent; the window is disabled instead.
    const QPointer<QWidget> focused = focusWidget();
    setEnabled(false);
    setCursor(Qt::WaitCursor);
    HttpStop stop;
    m_downloadStop = &stop;
    const auto restore = qScopeGuard([&] {
        m_downloadStop = nullptr;
        unsetCursor();
        setEnabled(true);
        if (focused)
            focused->setFocus();
    });
    const HttpRequest request{
        QUrl(QStringLiteral("http://") + host + QStringLiteral("/carddata.txt")),
        "UserOptionsEditor/" + programVersion().toLatin1(), HttpTimeouts{}};
    return m_platform.download(this, request, stop);
}

void frmEditor::closeEvent(QCloseEvent* event)
{
    if (m_downloadStop) {
        m_closeAfterDownload = true;
        m_downloadStop->request();
        event->ignore(); // closed for good once the download has stopped
        return;
    }
    QWidget::closeEvent(event);
}

void frmEditor::closeAfterDownload()
{
    m_closeAfterDownload = false;
    close();
    // At start-up the application's event loop has not begun, so closing the
    // last window cannot end it yet: this does, once it begins.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void frmEditor::cmdGetCards_Click()
{
    GetCardData();
}

} // namespace useropts
