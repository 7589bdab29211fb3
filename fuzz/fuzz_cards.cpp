// SPDX-License-Identifier: GPL-3.0-or-later
// The card list loader takes whatever a file or a web site gives: every line
// that holds more than blanks becomes exactly one entry, and what an update
// stores is a list whose only line feed is its last byte.
#include "cards/CardDownload.h"
#include "cards/CardList.h"
#include "encodings/TextLines.h"

#include <cstdint>
#include <cstdlib>

using namespace useropts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList entries = cardEntries(bytes);

    qsizetype filledLines = 0;
    LineReader lines(bytes);
    while (!lines.atEnd()) {
        const QByteArray line = lines.next();
        if (line.count(' ') != line.size())
            ++filledLines;
    }
    if (entries.size() != filledLines)
        std::abort();
    for (const QString& entry : entries) {
        if (!entry.contains(QStringLiteral(" - ")))
            std::abort();
    }

    const QByteArray stored = storedCardList(bytes);
    if (!stored.endsWith("\r\n") || stored.contains('"') ||
        stored.indexOf('\n') != stored.size() - 1)
        std::abort();
    return 0;
}
