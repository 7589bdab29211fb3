// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace useropts {

// Far beyond any card list; an answer that grows past it is not one, and
// holding it all in memory could bring the program down.
inline constexpr qint64 kMaxBodyBytes = 64 * 1024 * 1024;
// Status lines and headers together; real servers send a few hundred bytes.
inline constexpr qsizetype kMaxHeadBytes = 64 * 1024;

// bytes as a user can read them in a message: printable ASCII kept, every
// other byte shown as '?', and cut short after maxChars with "...".
QString printableText(QByteArrayView bytes, qsizetype maxChars = 40);

// "64 MB", "64 KB" or "1000 bytes".
QString describeSize(qint64 bytes);

// What the head of one answer said, taken line by line as the HTTP library
// hands the lines over. The library frames the answer; these are the rules
// we keep on top of it, so that a card list is never mistaken for whole
// when it was cut off, nor taken in a form we did not ask for.
class HttpHead
{
  public:
    // "HTTP/1.x NNN reason"; false when the line is no status line.
    bool statusLine(QByteArrayView line);
    // One "Name: value" line; false when it is malformed.
    bool headerLine(QByteArrayView line);

    int status() const { return m_status; }
    QByteArray reason() const { return m_reason; }
    QByteArray contentType() const { return m_contentType; }
    QByteArray location() const { return m_location; }
    bool chunked() const { return m_hasTransferEncoding; }
    qint64 contentLength() const { return m_contentLength; } // -1 when none was given

    // Whether a body under this head may be taken as a card list at all.
    // Refusals read on from "the answer from <address>".
    Result<> bodyRules() const;

  private:
    int m_status = 0;
    QByteArray m_reason;
    QByteArray m_contentType;
    QByteArray m_location;
    QByteArray m_contentEncoding;
    QByteArray m_transferEncoding;
    bool m_hasTransferEncoding = false;
    qint64 m_contentLength = -1;
    bool m_lengthsDiffer = false;
    std::optional<QByteArray> m_badLength; // a length that is no number
};

} // namespace useropts
