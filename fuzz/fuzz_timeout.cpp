// SPDX-License-Identifier: GPL-3.0-or-later
// The shown form of a time-out must read back as the same number.
#include "encodings/Charset.h"
#include "settings/TimeoutNumber.h"

#include <cstdint>
#include <cstdlib>

using namespace useropts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = Charset::decode(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const Result<double> number = readLeadingNumber(text);
    if (!number.ok())
        return 0;
    const QString shown = plainNumberText(number.value());
    const Result<double> again = readLeadingNumber(shown);
    if (!again.ok() || again.value() != number.value() || plainNumberText(again.value()) != shown)
        std::abort();
    return 0;
}
