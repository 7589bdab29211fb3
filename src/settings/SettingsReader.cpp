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
std::optional<ReadFailure> applyLine(const LineFormat& format, const QByteArray& line,
                                     EditorFields& fields, const ReadOptions& options)
{
    // The gateway line ends in a blank that is not part of the address.
    const qsizetype minimum =
        format.prefixLength + (format.form == ValueForm::GatewayAddress ? 1 : 0);
    if (line.size() < minimum) {
        return failure(format.line, QStringLiteral("line %1 has %2 characters, fewer than the %3 "
                                                   "that must come before its value")
                                        .arg(format.line)
                                        .arg(line.size())
                                        .arg(minimum));
    }
    QByteArray value = line.mid(format.prefixLength);
    if (format.form == ValueForm::GatewayAddress)
        value.chop(1);

    switch (format.form) {
    case ValueForm::CardCode:
    case ValueForm::Text:
        fields.text(format.field) = Charset::decode(value);
        break;
    case ValueForm::Password: {
        const CipherBytes plain = decryptCodes(value);
        if (!plain.ok())
            return failure(format.line, describeDecryptFailure(value, plain.failedPosition));
        fields.text(format.field) = Charset::decode(plain.bytes);
        break;
    }
    case ValueForm::Address:
    case ValueForm::GatewayAddress:
        fields.text(format.field) = NiceIP(Charset::decode(value));
        break;
    case ValueForm::TimeOut: {
        const auto shown = timeOutFromFile(Charset::decode(value));
        if (!shown) {
            return failure(format.line,
                           QStringLiteral("the time-out on line %1 is a number too large to "
                                          "represent")
                               .arg(format.line));
        }
        fields.text(format.field) = *shown;
        break;
    }
    case ValueForm::ComputerName:
        fields.text(format.field) = applyComputerNameRule(Charset::decode(value), options.random);
        break;
    case ValueForm::ZeroOne:
        fields.choice(format.field) = value == "1" ? 1 : 0;
        break;
    case ValueForm::BasicFull:
        fields.choice(format.field) = value == "FULL" ? 1 : 0;
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
    for (const LineFormat& format : kDataLines) {
        if (lines.atEnd()) {
            outcome.failure = failure(
                format.line, QStringLiteral("the file ends before line %1").arg(format.line));
            return outcome;
        }
        const QByteArray line = lines.next();
        if (auto failed = applyLine(format, line, fields, options)) {
            outcome.failure = std::move(failed);
            return outcome;
        }
        outcome.lastLineApplied = format.line;
        if (options.fieldApplied)
            options.fieldApplied(format.field);
    }
    return outcome;
}

} // namespace useropts
