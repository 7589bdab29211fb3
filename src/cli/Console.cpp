// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include "cli/TextForms.h"

#include <cstdio>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace useropts {

namespace {

bool g_progressShown = false;

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

} // namespace

void printData(const QString& text)
{
    write(stdout, text);
}

void printData(const QByteArray& utf8)
{
    std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), stdout);
}

void printMessage(const QString& text)
{
    showProgress({});
    write(stderr, QStringLiteral("useropts: %1\n").arg(escapedControls(text)));
}

void printNote(const QString& text)
{
    showProgress({});
    write(stderr, escapedControls(text) + u'\n');
}

bool messagesGoToTerminal()
{
#if defined(Q_OS_UNIX)
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

void showProgress(const QString& text)
{
    if (text.isEmpty() && !g_progressShown)
        return;
    // Back to the start of the line, the text, and the rest of the line cleared.
    write(stderr, QStringLiteral("\r%1\x1b[K").arg(escapedControls(text)));
    std::fflush(stderr);
    g_progressShown = !text.isEmpty();
}

bool dataWrittenWhole()
{
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

} // namespace useropts
