#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace useropts {

// Far beyond any card list; an answer that grows past it is not one, and
// holding it all in memory could bring the program down.
inline constexpr qint64 kMaxBodyBytes = 64 * 1024 * 1024;
// Status line and headers together; real servers send a few hundred bytes.
inline constexpr qsizetype kMaxHeadBytes = 64 * 1024;

// bytes as a user can read them in a message: printable ASCII kept, every
// other byte shown as '?', and cut short after maxChars with "...".
QString printableText(QByteArrayView bytes, qsizetype maxChars = 40);

// Reads one HTTP/1.x answer as it arrives, in pieces split anywhere. The
// card list must never be mistaken for whole when it was cut off, so only an
// answer whose length is known in advance (Content-Length or chunks) can be
// complete, and anything that breaks the framing rules is refused rather
// than guessed at. Refusal reasons read on from "The answer from <address>".
class HttpResponseParser
{
  public:
    enum class State
    {
        NeedsMore,
        Complete,
        Refused
    };

    explicit HttpResponseParser(qint64 maxBodyBytes = kMaxBodyBytes,
                                qsizetype maxHeadBytes = kMaxHeadBytes);

    void feed(QByteArrayView bytes);
    // The connection has ended: an answer still unfinished is refused.
    void finishInput();

    State state() const { return m_state; }
    QString refusal() const { return m_refusal; }

    // Known once the final (not 1xx) status line and its headers are in, even
    // when the body is then refused: an error status tells the user more.
    bool headComplete() const { return m_headComplete; }
    int status() const { return m_head.status; }
    QByteArray reasonPhrase() const { return m_head.reason; }
    QByteArray contentType() const { return m_head.contentType; }
    QByteArray location() const { return m_head.location; }

    const QByteArray& body() const { return m_body; }

  private:
    enum class Stage
    {
        StatusLine,
        Headers,
        LengthBody,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers
    };
    enum class Line
    {
        Taken,
        NeedsMore,
        TooLong
    };

    bool step();
    Line takeLine(qsizetype& used, qsizetype limit, QByteArrayView& line);
    bool statusLine(QByteArrayView line);
    bool headerLine(QByteArrayView line);
    void headEnded();
    bool chunkSizeLine(QByteArrayView line);
    void refuse(QString reason);
    void complete();

    const qint64 m_maxBodyBytes;
    const qsizetype m_maxHeadBytes;

    State m_state = State::NeedsMore;
    Stage m_stage = Stage::StatusLine;
    QString m_refusal;

    QByteArray m_buffer;          // received, not yet consumed
    qsizetype m_pos = 0;          // where the unconsumed part of m_buffer begins
    qsizetype m_lineSearched = 0; // bytes of m_buffer known to hold no line feed
    qsizetype m_headBytes = 0;    // of every head so far, interim answers included
    qsizetype m_trailerBytes = 0;

    // What one head said; an interim answer's is dropped for the next.
    struct Head
    {
        int status = 0;
        QByteArray reason;
        QByteArray contentType;
        QByteArray location;
        QByteArray contentEncoding;
        QByteArray transferEncoding;
        bool hasTransferEncoding = false;
        qint64 contentLength = -1; // none given
        bool lengthsDiffer = false;
        std::optional<QByteArray> badLength; // a length that is no number
    };
    Head m_head;
    bool m_headComplete = false;

    qint64 m_bodyLeft = 0; // of the announced length or the current chunk
    QByteArray m_body;
};

} // namespace useropts
