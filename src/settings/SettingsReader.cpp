// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsReader.h"

#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/PasswordCipher.h"
#include "encodings/TextLines.h"
#include "settings/SettingsLayout.h"
#include "settings/TimeoutNumber.h"

namespace useropts {

Result<QString> timeOutFromFile(QStringView fileValue)
{
    const Result<double> number = readLeadingNumber(fileValue);
    if (!number.ok())
        return number.failure();
    return plainNumberText(number.value());
}

namespace {

Failure failure(int line, QString reason)
{
    return Failure{std::move(reason), line};
}

// Applies one line's value to its field, or says why it cannot.
Result<> applyLine(const SettingRow& format, const QByteArray& line, EditorFields& fields,
                   const ReadOptions& options)
{
    // The gateway line ends in a blank that is not part of the address.
    const qsizetype minimum =
        format.prefixLength() + (format.form == ValueForm::GatewayAddress ? 1 : 0);
    if (line.size() < minimum) {
        return failure(format.line, QStringLiteral("line %1 has %2 characters, fewer than the %3 "
                                                   "that must come before its value")
                                        .arg(format.line)
                                        .arg(line.size())
                                        .arg(minimum));
    }
    QByteArray value = line.mid(format.prefixLength());
    if (format.form == ValueForm::GatewayAddress)
        value.chop(1);

    switch (format.form) {
    case ValueForm::CardCode:
    case ValueForm::Text:
        fields.text(format.field) = Charset::decode(value);
        break;
    case ValueForm::Password: {
        const Result<QString> plain = Decrypt(Charset::decode(value));
        if (!plain.ok())
            return failure(format.line, plain.failure().reason);
        fields.text(format.field) = plain.value();
        break;
    }
    case ValueForm::Address:
    case ValueForm::GatewayAddress:
        fields.text(format.field) = NiceIP(Charset::decode(value));
        break;
    case ValueForm::TimeOut: {
        const Result<QString> shown = timeOutFromFile(Charset::decode(value));
        if (!shown.ok()) {
            return failure(format.line,
                           QStringLiteral("the time-out on line %1 is a number too large to "
                                          "represent")
                               .arg(format.line));
        }
        fields.text(format.field) = shown.value();
        break;
    }
    case ValueForm::ComputerName:
        fields.text(format.field) =
            options.random ? applyComputerNameRule(Charset::decode(value), options.random)
                           : Charset::decode(value);
        break;
    case ValueForm::ZeroOne:
        fields.choice(format.field) = value == "1" ? 1 : 0;
        break;
    case ValueForm::BasicFull:
        fields.choice(format.field) = value == "FULL" ? 1 : 0;
        break;
    }
    return {};
}

} // namespace

Result<> readSettings(const QByteArray& bytes, EditorFields& fields, const ReadOptions& options)
{
    LineReader lines(bytes);
    for (int line = 1; line < kFirstDataLine; ++line) {
        if (lines.atEnd())
            return failure(line, QStringLiteral("the file ends before line %1").arg(line));
        lines.next();
    }
    for (const SettingRow& format : kSettings) {
        if (lines.atEnd()) {
            return failure(format.line,
                           QStringLiteral("the file ends before line %1").arg(format.line));
        }
        if (Result<> applied = applyLine(format, lines.next(), fields, options); !applied.ok())
            return applied;
        if (options.fieldApplied)
            options.fieldApplied(format.field);
    }
    return {};
}

} // namespace useropts
