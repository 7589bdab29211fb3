// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TemporaryFiles.h"

#include <QFile>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <unistd.h>
#endif

namespace useropts {

namespace {

// A signal handler may only read what is already there: the paths are kept
// encoded, in fixed slots, and handed over atomically. A bulk update holds
// a group of new files at once (kMostPendingReplacements), a few working
// copies besides; beyond that a path goes unprotected rather than failing
// the write.
constexpr int kSlots = kMostPendingReplacements + 56;
std::array<std::atomic<char*>, kSlots> g_paths{};

} // namespace

TemporaryPath::TemporaryPath(const QString& path) : m_slot(-1)
{
    const QByteArray encoded = QFile::encodeName(path);
    char* copy = static_cast<char*>(std::malloc(std::size_t(encoded.size()) + 1));
    if (!copy)
        return;
    std::memcpy(copy, encoded.constData(), std::size_t(encoded.size()) + 1);
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_paths[std::size_t(i)].compare_exchange_strong(expected, copy)) {
            m_slot = i;
            return;
        }
    }
    std::free(copy);
}

TemporaryPath::~TemporaryPath()
{
    if (m_slot >= 0)
        std::free(g_paths[std::size_t(m_slot)].exchange(nullptr));
}

#if defined(Q_OS_UNIX)

namespace {

extern "C" void removeAndEnd(int signalNumber)
{
    // Files first, then the folders that held them.
    for (const bool folders : {false, true}) {
        for (std::atomic<char*>& slot : g_paths) {
            if (const char* path = slot.load())
                folders ? ::rmdir(path) : ::unlink(path);
        }
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

void removeTemporariesOnSignals()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = removeAndEnd;
        sigemptyset(&action.sa_mask);
        // A signal the program was started to ignore (nohup) stays ignored.
        struct sigaction old = {};
        if (::sigaction(signalNumber, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

#else

void removeTemporariesOnSignals() {}

#endif

} // namespace useropts
