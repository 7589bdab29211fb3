// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TextForms.h"

namespace useropts {

namespace {

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control;
}

// The C escapes both forms share; JSON also escapes its quote, and writes
// other control characters as \u, where the line form writes \x (every
// control character the file's character set holds is below U+0100, so two
// digits always do). JSON requires only those below U+0020 escaped; the
// others are escaped too, so that no terminal acts on them.
QString escaped(const QString& value, bool json)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'"':
            out += json ? QStringLiteral("\\\"") : QStringLiteral("\"");
            break;
        default:
            if (!isControl(c))
                out += c;
            else if (json)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

} // namespace

QString escapedValue(const QString& value)
{
    return escaped(value, false);
}

QString escapedControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c))
            out += escaped(QString(c), false);
        else if (c.category() == QChar::Separator_Line ||
                 c.category() == QChar::Separator_Paragraph)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString jsonString(const QString& value)
{
    return u'"' + escaped(value, true) + u'"';
}

} // namespace useropts
