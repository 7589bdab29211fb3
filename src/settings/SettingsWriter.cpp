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

WriteFailure failure(const LineSpec& spec, QString reason)
{
    return WriteFailure{spec.line, spec.field, std::move(reason)};
}

std::optional<WriteFailure> encodeText(const LineSpec& spec, const QString& text, QByteArray& out)
{
    const auto codes = Charset::encode(text);
    if (!codes) {
        const qsizetype at = Charset::firstUnencodable(text);
        return failure(spec, QStringLiteral("%1 holds %2, which has no code in the file's "
                                            "character set")
                                 .arg(fieldCaption(spec.field),
                                      Charset::describeCharacterAt(text, at)));
    }
    out += *codes;
    return std::nullopt;
}

std::optional<WriteFailure> appendValue(const LineSpec& spec, const EditorFields& fields,
                                        QByteArray& out)
{
    switch (spec.form) {
    case ValueForm::CardCode:
        return encodeText(spec, cardCode(fields.text(spec.field)), out);
    case ValueForm::Text:
    case ValueForm::TimeOut:
    case ValueForm::ComputerName:
        return encodeText(spec, fields.text(spec.field), out);
    case ValueForm::Password: {
        QByteArray plain;
        if (auto failed = encodeText(spec, fields.text(spec.field), plain))
            return failed;
        const CipherBytes stored = encryptCodes(plain);
        if (!stored.ok())
            return failure(spec, describeEncryptFailure(plain, stored.failedPosition));
        out += stored.bytes;
        return std::nullopt;
    }
    case ValueForm::Address:
        return encodeText(spec, RawIP(fields.text(spec.field)), out);
    case ValueForm::GatewayAddress:
        if (auto failed = encodeText(spec, RawIP(fields.text(spec.field)), out))
            return failed;
        out += ' ';
        return std::nullopt;
    case ValueForm::ZeroOne:
    case ValueForm::BasicFull: {
        const int index = fields.choice(spec.field);
        if (index != 0 && index != 1) {
            return failure(spec, QStringLiteral("%1 has no entry selected")
                                     .arg(fieldCaption(spec.field)));
        }
        if (spec.form == ValueForm::ZeroOne)
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
    for (const LineSpec& spec : kDataLines) {
        out.append(spec.prefix.data(), static_cast<qsizetype>(spec.prefix.size()));
        if (auto failed = appendValue(spec, fields, out)) {
            outcome.failure = std::move(failed);
            return outcome;
        }
        out += "\r\n";
    }
    outcome.bytes = std::move(out);
    return outcome;
}

} // namespace useropts
