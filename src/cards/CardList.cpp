// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CardList.h"

#include "encodings/Charset.h"
#include "encodings/TextLines.h"

namespace useropts {

namespace {

QByteArrayView trimBlanks(QByteArrayView field)
{
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    return field.sliced(begin, end - begin);
}

// Upper case that stays inside the file's character set: a letter whose
// capital has no code there (the micro sign, for one) keeps its own form,
// or the card code could never be saved back into USEROPTS.BAT.
QChar upperCaseCode(unsigned char code)
{
    if (code < 0x80)
        return QChar(char16_t(code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code));
    const QChar ch = Charset::toUnicode(code);
    const QChar upper = ch.toUpper();
    return upper != ch && Charset::toCode(upper) ? upper : ch;
}

} // namespace

QString cardEntry(QByteArrayView line)
{
    const QByteArrayView code = trimBlanks(line.first(qMin(line.size(), kCardCodeWidth)));
    QByteArrayView description;
    if (line.size() > kCardDescriptionStart) {
        description =
            trimBlanks(line.sliced(kCardDescriptionStart, qMin(line.size() - kCardDescriptionStart,
                                                               kCardDescriptionWidth)));
    }

    // Built in place: this runs once per line of lists with many thousands.
    QString entry(code.size() + 3 + description.size(), Qt::Uninitialized);
    QChar* out = entry.data();
    for (const char b : code)
        *out++ = upperCaseCode(static_cast<unsigned char>(b));
    *out++ = u' ';
    *out++ = u'-';
    *out++ = u' ';
    for (const char b : description)
        *out++ = Charset::toUnicode(static_cast<unsigned char>(b));
    return entry;
}

QStringList cardEntries(const QByteArray& bytes)
{
    QStringList entries;
    LineReader lines(bytes);
    while (!lines.atEnd()) {
        const QByteArray line = lines.next();
        if (trimBlanks(line).isEmpty())
            continue;
        entries.append(cardEntry(line));
    }
    return entries;
}

} // namespace useropts
