// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace useropts {

// What an update writes for a downloaded list: the body without its double
// quotes, every LF turned into CR (so that LF-ended lines stay lines for the
// loader), and one CR LF at the end. The bytes are kept as they came: the
// site serves the list in the file's own character set.
QByteArray storedCardList(QByteArrayView body);

// Done when body can be a card list; otherwise a failure that says why. A list is text, so a NUL
// byte rules it out. A web page is recognised by its start: once leading white space is skipped,
// every HTML or XML page, error pages included, opens with '<' and a letter, '!' or '?' (a tag, a
// doctype or comment, a declaration), while a card list opens with a card
// code. A page labelled as HTML (contentType, the server's Content-Type) may
// open with text, so for one its first 4 KB are searched for markup instead;
// a plain list wrongly labelled as HTML holds none and is still taken. An
// answer with nothing but white space (or quotes, which are dropped) would
// leave the user without a list, as proxies and portals that answer with an
// empty page would have it: it is refused.
Result<> checkCardList(QByteArrayView body, QStringView contentType);

// Whether storing a list of newCount entries over one of oldCount needs the
// user's word first: one that shrinks to less than half is more often a
// portal's notice or a cut list than the maker's.
bool shrinksTooFar(qsizetype oldCount, qsizetype newCount);

} // namespace useropts
