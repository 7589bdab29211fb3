// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/TimeoutNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace useropts {

namespace {

bool isSkipped(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n';
}

std::optional<double> readRadixWhole(const std::string& digits, int radix)
{
    double value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

} // namespace

namespace {

// The text without the blanks, which count nowhere; only ASCII can take
// part in a number, so anything else stands as a character that ends it.
std::string withoutBlanks(QStringView text)
{
    std::string s;
    s.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        if (!isSkipped(ch))
            s.push_back(ch.unicode() < 0x80 ? static_cast<char>(ch.unicode()) : '\x7f');
    }
    return s;
}

// The decimal number at the start of s, as from_chars takes it: a sign,
// digits with at most one point, an exponent (E or D); empty when s starts
// with no digit.
std::string decimalPart(const std::string& s)
{
    std::string number;
    std::size_t i = 0;
    auto isDigit = [&](std::size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; };
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number.push_back(s[i++]);
    std::size_t mantissaDigits = 0;
    for (bool point = false;; point = true) {
        while (isDigit(i)) {
            number.push_back(s[i++]);
            ++mantissaDigits;
        }
        if (point || i >= s.size() || s[i] != '.')
            break;
        number.push_back(s[i++]);
    }
    if (mantissaDigits == 0)
        return {};
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent.push_back(s[j++]);
        if (isDigit(j)) {
            while (isDigit(j))
                exponent.push_back(s[j++]);
            number += exponent;
        }
    }
    return number;
}

std::optional<double> leadingNumber(QStringView text)
{
    const std::string s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        if (kind == 'H' || kind == 'h')
            return readRadixWhole(s.substr(2), 16);
        if (kind == 'O' || kind == 'o')
            return readRadixWhole(s.substr(2), 8);
        return 0.0;
    }
    const std::string number = decimalPart(s);
    if (number.empty())
        return 0.0;

    double value = 0;
    const char* first = number.data();
    if (*first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow is a number too small to matter, not a failure.
        const auto e = number.find('e');
        if (e != std::string::npos && number[e + 1] == '-')
            return 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value == 0 ? 0.0 : value;
}

} // namespace

Result<double> readLeadingNumber(QStringView text)
{
    if (const auto number = leadingNumber(text))
        return *number;
    return Failure{QStringLiteral("the number is too large to represent")};
}

QString plainNumberText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");

    // Shortest digits that read back as the same number, in scientific form.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                         std::chars_format::scientific);
    if (ec != std::errc())
        return QStringLiteral("0");
    const std::string sci(buffer, end);
    const auto ePos = sci.find('e');
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i) {
        if (sci[i] != '.')
            digits.push_back(sci[i]);
    }
    const int exponent = std::stoi(sci.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // digits d1 d2 ... dn stand for d1.d2...dn x 10^exponent
    const int pointAfter = exponent + 1; // digits before the decimal point
    std::string out;
    if (pointAfter <= 0) {
        out = "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
    } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
        out = digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." +
              digits.substr(static_cast<std::size_t>(pointAfter));
    }
    if (value < 0)
        out.insert(out.begin(), '-');
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace useropts
