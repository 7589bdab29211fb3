// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWriter.h"

#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/PasswordCipher.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"

#include <algorithm>

namespace useropts {

QString cardCode(const QString& nicText)
{
    const qsizetype blank = nicText.indexOf(u' ');
    if (blank <= 0)
        return nicText;
    return nicText.left(blank);
}

namespace {

Failure failure(const SettingRow& format, const QString& reason)
{
    return Failure{QStringLiteral("line %1 could not be written: %2").arg(format.line).arg(reason),
                   format.line};
}

// A carriage return inside a value would end its line early and shift every
// later setting by a line, for this editor and for the boot menu alike. A
// line feed is worse: the boot menu reads past it, but the DOS shell ends
// the line there and runs the rest as a command at every boot.
Result<> appendLineSafe(const SettingRow& format, const QByteArray& value, QByteArray& out)
{
    const auto end =
        std::find_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (end == value.end()) {
        out += value;
        return {};
    }
    const bool cr = *end == '\r';
    const QString what = cr ? QStringLiteral("carriage return") : QStringLiteral("line feed");
    const QString where =
        format.form == ValueForm::Password
            ? QStringLiteral("%1 would be stored with a %2 at character %3, as that character "
                             "scrambles to one")
            : QStringLiteral("%1 would hold a %2 at character %3");
    const QString effect =
        cr ? QStringLiteral(", which would end line %1 early")
           : QStringLiteral(": the DOS shell would end line %1 there and run the rest as a "
                            "command at every boot");
    return failure(format,
                   where.arg(fieldCaption(format.field), what).arg(end - value.begin() + 1) +
                       effect.arg(format.line));
}

Result<> encodeText(const SettingRow& format, const QString& text, QByteArray& out)
{
    const Result<QByteArray> codes = Charset::encode(text, fieldCaption(format.field));
    if (!codes.ok())
        return failure(format, codes.failure().reason);
    return appendLineSafe(format, codes.value(), out);
}

Result<> appendValue(const SettingRow& format, const EditorFields& fields, QByteArray& out)
{
    switch (format.form) {
    case ValueForm::CardCode:
        return encodeText(format, cardCode(fields.text(format.field)), out);
    case ValueForm::Text:
    case ValueForm::ComputerName:
        return encodeText(format, fields.text(format.field), out);
    case ValueForm::TimeOut:
        // Written as typed, but never a file that cannot be opened again.
        if (!timeOutFromFile(fields.text(format.field)).ok()) {
            return failure(format, QStringLiteral("%1 is a number too large to represent, so the "
                                                  "file could not be read again")
                                       .arg(fieldCaption(format.field)));
        }
        return encodeText(format, fields.text(format.field), out);
    case ValueForm::Password: {
        const Result<QString> stored = Encrypt(fields.text(format.field));
        if (!stored.ok())
            return failure(format, stored.failure().reason);
        return encodeText(format, stored.value(), out);
    }
    case ValueForm::Address:
        return encodeText(format, RawIP(fields.text(format.field)), out);
    case ValueForm::GatewayAddress:
        if (Result<> written = encodeText(format, RawIP(fields.text(format.field)), out);
            !written.ok())
            return written;
        out += ' ';
        return {};
    case ValueForm::ZeroOne:
    case ValueForm::BasicFull: {
        const int index = fields.choice(format.field);
        if (index != 0 && index != 1) {
            return failure(
                format, QStringLiteral("%1 has no entry selected").arg(fieldCaption(format.field)));
        }
        if (format.form == ValueForm::ZeroOne)
            out += index == 0 ? "0" : "1";
        else
            out += index == 0 ? "BASIC" : "FULL";
        return {};
    }
    }
    return {};
}

// Where each line of a file begins and where its text and its line end end.
struct LineSpan
{
    qsizetype start;
    qsizetype textEnd;
    qsizetype end;
};

QList<LineSpan> lineSpans(const QByteArray& file, int count)
{
    QList<LineSpan> spans;
    for (qsizetype at = 0; at < file.size() && spans.size() < count;) {
        const qsizetype cr = file.indexOf('\r', at);
        const qsizetype textEnd = cr < 0 ? file.size() : cr;
        qsizetype end = cr < 0 ? file.size() : cr + 1;
        if (end < file.size() && cr >= 0 && file[end] == '\n')
            ++end;
        spans.append({at, textEnd, end});
        at = end;
    }
    return spans;
}

} // namespace

Result<QByteArray> writeSettingsLines(const QByteArray& file, const EditorFields& fields,
                                      const QList<Field>& settings)
{
    // Nothing is written that a save of the whole file would refuse.
    if (Result<QByteArray> whole = writeSettings(fields); !whole.ok())
        return whole.failure();
    const QList<LineSpan> spans = lineSpans(file, kLineCount);
    if (spans.size() < kLineCount)
        return Failure{QStringLiteral("the file ends before line %1").arg(spans.size() + 1),
                       int(spans.size()) + 1};
    QByteArray out;
    out.reserve(file.size() + 64);
    qsizetype copied = 0;
    for (const SettingRow& row : kSettings) {
        if (!settings.contains(row.field))
            continue;
        const LineSpan& span = spans[row.line - 1];
        out += file.mid(copied, span.start + row.prefixLength() - copied);
        if (Result<> written = appendValue(row, fields, out); !written.ok())
            return written.failure();
        copied = span.textEnd;
    }
    out += file.mid(copied);
    if (lineSpans(out, kLineCount).last().end > kMaxSettingsBytes + 2) {
        return Failure{QStringLiteral("the file would be larger than the %1 MB that are read of it "
                                      "again")
                           .arg(kMaxSettingsBytes / (1024 * 1024))};
    }
    return out;
}

Result<QByteArray> writeSettings(const EditorFields& fields)
{
    QByteArray out;
    out.reserve(768);
    for (const std::string_view header : kHeaderLines) {
        out.append(header.data(), static_cast<qsizetype>(header.size()));
        out += "\r\n";
    }
    for (const SettingRow& format : kSettings) {
        out.append(format.prefix.data(), static_cast<qsizetype>(format.prefix.size()));
        if (Result<> written = appendValue(format, fields, out); !written.ok())
            return written.failure();
        out += "\r\n";
        if (out.size() > kMaxSettingsBytes) {
            return failure(format, QStringLiteral("%1 is so long that the file would be larger "
                                                  "than the %2 MB that are read of it again")
                                       .arg(fieldCaption(format.field))
                                       .arg(kMaxSettingsBytes / (1024 * 1024)));
        }
    }
    return out;
}

} // namespace useropts
