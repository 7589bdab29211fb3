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

WriteFailure failure(const LineFormat& format, QString reason)
{
    return WriteFailure{format.line, format.field, std::move(reason)};
}

// A carriage return inside a value would end its line early and shift every
// later setting by a line, for this editor and for the boot menu alike.
std::optional<WriteFailure> appendLineSafe(const LineFormat& format, const QByteArray& value,
                                           QByteArray& out)
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
    return std::nullopt;
}

std::optional<WriteFailure> encodeCodes(const LineFormat& format, const QString& text,
                                        QByteArray& codes)
{
    const auto encoded = Charset::encode(text);
    if (!encoded)
        return failure(format, Charset::describeUnencodable(fieldCaption(format.field), text));
    codes = *encoded;
    return std::nullopt;
}

std::optional<WriteFailure> encodeText(const LineFormat& format, const QString& text,
                                       QByteArray& out)
{
    QByteArray codes;
    if (auto failed = encodeCodes(format, text, codes))
        return failed;
    return appendLineSafe(format, codes, out);
}

std::optional<WriteFailure> appendValue(const LineFormat& format, const EditorFields& fields,
                                        QByteArray& out)
{
    switch (format.form) {
    case ValueForm::CardCode:
        return encodeText(format, cardCode(fields.text(format.field)), out);
    case ValueForm::Text:
    case ValueForm::TimeOut:
    case ValueForm::ComputerName:
        return encodeText(format, fields.text(format.field), out);
    case ValueForm::Password: {
        QByteArray plain;
        if (auto failed = encodeCodes(format, fields.text(format.field), plain))
            return failed;
        const CipherBytes stored = encryptCodes(plain);
        if (!stored.ok())
            return failure(format, describeEncryptFailure(plain, stored.failedPosition));
        return appendLineSafe(format, stored.bytes, out);
    }
    case ValueForm::Address:
        return encodeText(format, RawIP(fields.text(format.field)), out);
    case ValueForm::GatewayAddress:
        if (auto failed = encodeText(format, RawIP(fields.text(format.field)), out))
            return failed;
        out += ' ';
        return std::nullopt;
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
        return std::nullopt;
    }
    }
    return std::nullopt;
}

} // namespace

WriteOutcome writeSettings(const EditorFields& fields)
{
    WriteOutcome outcome;
    QByteArray out;
    out.reserve(768);
    for (const std::string_view header : kHeaderLines) {
        out.append(header.data(), static_cast<qsizetype>(header.size()));
        out += "\r\n";
    }
    for (const LineFormat& format : kDataLines) {
        out.append(format.prefix.data(), static_cast<qsizetype>(format.prefix.size()));
        if (auto failed = appendValue(format, fields, out)) {
            outcome.failure = std::move(failed);
            return outcome;
        }
        out += "\r\n";
    }
    outcome.bytes = std::move(out);
    return outcome;
}

} // namespace useropts
