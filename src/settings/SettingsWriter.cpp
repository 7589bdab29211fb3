#include "settings/SettingsWriter.h"

#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/PasswordCipher.h"
#include "settings/SettingsLayout.h"

namespace useropts {

QString cardCode(const QString& nicText)
{
    const qsizetype blank = nicText.indexOf(u' ');
    if (blank <= 0)
        return nicText;
    return nicText.left(blank);
}

namespace {

Failure failure(const LineFormat& format, const QString& reason)
{
    return Failure{QStringLiteral("line %1 could not be written: %2").arg(format.line).arg(reason),
                   format.line};
}

// A carriage return inside a value would end its line early and shift every
// later setting by a line, for this editor and for the boot menu alike.
Result<> appendLineSafe(const LineFormat& format, const QByteArray& value, QByteArray& out)
{
    const qsizetype cr = value.indexOf('\r');
    if (cr >= 0) {
        return failure(format, QStringLiteral("%1 would hold a carriage return at character %2, "
                                              "which would end line %3 early")
                                   .arg(fieldCaption(format.field))
                                   .arg(cr + 1)
                                   .arg(format.line));
    }
    out += value;
    return {};
}

Result<> encodeText(const LineFormat& format, const QString& text, QByteArray& out)
{
    const Result<QByteArray> codes = Charset::encode(text, fieldCaption(format.field));
    if (!codes.ok())
        return failure(format, codes.failure().reason);
    return appendLineSafe(format, codes.value(), out);
}

Result<> appendValue(const LineFormat& format, const EditorFields& fields, QByteArray& out)
{
    switch (format.form) {
    case ValueForm::CardCode:
        return encodeText(format, cardCode(fields.text(format.field)), out);
    case ValueForm::Text:
    case ValueForm::TimeOut:
    case ValueForm::ComputerName:
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

} // namespace

Result<QByteArray> writeSettings(const EditorFields& fields)
{
    QByteArray out;
    out.reserve(768);
    for (const std::string_view header : kHeaderLines) {
        out.append(header.data(), static_cast<qsizetype>(header.size()));
        out += "\r\n";
    }
    for (const LineFormat& format : kDataLines) {
        out.append(format.prefix.data(), static_cast<qsizetype>(format.prefix.size()));
        if (Result<> written = appendValue(format, fields, out); !written.ok())
            return written.failure();
        out += "\r\n";
    }
    return out;
}

} // namespace useropts
