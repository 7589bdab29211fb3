#include "settings/SettingsReader.h"

#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/PasswordCipher.h"
#include "encodings/TextLines.h"
#include "settings/SettingsLayout.h"
#include "settings/TimeoutNumber.h"

namespace useropts {

std::optional<QString> timeOutFromFile(QStringView fileValue)
{
    const auto number = readLeadingNumber(fileValue);
    if (!number)
        return std::nullopt;
    return plainNumberText(*number);
}

namespace {

ReadFailure failure(int line, QString reason)
{
    return ReadFailure{line, std::move(reason)};
}

// Applies one line's value to its field, or says why it cannot.
std::optional<ReadFailure> applyLine(const LineSpec& spec, const QByteArray& line,
                                     EditorFields& fields, const ReadOptions& options)
{
    // The gateway line ends in a blank that is not part of the address.
    const qsizetype minimum = spec.prefixLength + (spec.form == ValueForm::GatewayAddress ? 1 : 0);
    if (line.size() < minimum) {
        return failure(spec.line, QStringLiteral("line %1 has %2 characters, fewer than the %3 "
                                                 "that must come before its value")
                                      .arg(spec.line)
                                      .arg(line.size())
                                      .arg(minimum));
    }
    QByteArray value = line.mid(spec.prefixLength);
    if (spec.form == ValueForm::GatewayAddress)
        value.chop(1);

    switch (spec.form) {
    case ValueForm::CardCode:
    case ValueForm::Text:
        fields.text(spec.field) = Charset::decode(value);
        break;
    case ValueForm::Password: {
        const CipherBytes plain = decryptCodes(value);
        if (!plain.ok())
            return failure(spec.line, describeDecryptFailure(value, plain.failedPosition));
        fields.text(spec.field) = Charset::decode(plain.bytes);
        break;
    }
    case ValueForm::Address:
    case ValueForm::GatewayAddress:
        fields.text(spec.field) = NiceIP(Charset::decode(value));
        break;
    case ValueForm::TimeOut: {
        const auto shown = timeOutFromFile(Charset::decode(value));
        if (!shown) {
            return failure(spec.line,
                           QStringLiteral("the time-out on line %1 is a number too large to "
                                          "represent")
                               .arg(spec.line));
        }
        fields.text(spec.field) = *shown;
        break;
    }
    case ValueForm::ComputerName:
        fields.text(spec.field) = applyComputerNameRule(Charset::decode(value), options.random);
        break;
    case ValueForm::ZeroOne:
        fields.choice(spec.field) = value == "1" ? 1 : 0;
        break;
    case ValueForm::BasicFull:
        fields.choice(spec.field) = value == "FULL" ? 1 : 0;
        break;
    }
    return std::nullopt;
}

} // namespace

ReadOutcome readSettings(const QByteArray& bytes, EditorFields& fields, const ReadOptions& options)
{
    ReadOutcome outcome;
    LineReader lines(bytes);
    int lineNumber = 0;
    for (; lineNumber < kFirstDataLine - 1; ++lineNumber) {
        if (lines.atEnd()) {
            outcome.failure = failure(
                lineNumber + 1, QStringLiteral("the file ends before line %1").arg(lineNumber + 1));
            return outcome;
        }
        lines.next();
    }
    for (const LineSpec& spec : kDataLines) {
        if (lines.atEnd()) {
            outcome.failure =
                failure(spec.line, QStringLiteral("the file ends before line %1").arg(spec.line));
            return outcome;
        }
        const QByteArray line = lines.next();
        if (auto failed = applyLine(spec, line, fields, options)) {
            outcome.failure = std::move(failed);
            return outcome;
        }
        outcome.lastLineApplied = spec.line;
        if (options.fieldApplied)
            options.fieldApplied(spec.field);
    }
    return outcome;
}

} // namespace useropts
