// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ShorterListQuestion.h"

#include "cards/CardDownload.h"
#include "cards/CardList.h"
#include "common/Messages.h"
#include "ui/MakerSite.h"
#include "ui/PlatformServices.h"

#include <QStringList>

namespace useropts {

bool replacesShorterList(PlatformServices& platform, QWidget* window, const CardPlaces& places,
                         const QByteArray& body)
{
    QStringList old;
    (void)loadCardFile(cardFolderToRead(places), old); // no list: nothing to lose
    const qsizetype fresh = cardEntries(storedCardList(body)).size();
    if (!shrinksTooFar(old.size(), fresh))
        return true;
    const auto cards = [](qsizetype n) {
        return n == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(n);
    };
    MessageRequest question;
    question.title = QStringLiteral("Replace the Card List?");
    question.text =
        QStringLiteral("The list downloaded from %1 holds %2, far fewer than the %3 of the list "
                       "you have. It may be a notice from a proxy or a login page rather than the "
                       "card list.%4Replace your list with it?")
            .arg(QString::fromLatin1(kMakerSiteHost), cards(fresh), cards(old.size()),
                 kParagraphBreak);
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::No;
    return platform.message(window, question) == MessageAnswer::Yes;
}

} // namespace useropts
