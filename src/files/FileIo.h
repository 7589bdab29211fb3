// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the writers in this folder share: file descriptors that close
// themselves, and writes that either write every byte asked or say why not.
#include "files/NewFiles.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace useropts::fileio {

inline QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

class Descriptor
{
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now, so that a failure to close is seen.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

// Writes length bytes from data at offset, or sets errno and says no.
inline bool writeAllAt(int fd, const char* data, qsizetype length, off_t offset)
{
    for (qsizetype done = 0; done < length;) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(length - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Writes the runs of bytes into a new, empty file and makes it bytes.size()
// long, what lies between the runs left as holes; the error number, 0 on
// success.
inline int writeRuns(int fd, const QByteArray& bytes, const QList<ByteRun>& runs)
{
    // A file that its last run makes long enough needs no call of its own.
    const bool reachesEnd =
        !runs.isEmpty() && runs.last().offset + runs.last().length == bytes.size();
    if (!reachesEnd && ::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    for (const ByteRun& run : runs) {
        if (!writeAllAt(fd, bytes.constData() + run.offset, run.length, off_t(run.offset)))
            return errno;
    }
    return 0;
}

// Appends what is left of the file from the offset bytes.size() on.
inline bool readAll(int fd, QByteArray& bytes)
{
    char block[64 * 1024];
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, off_t(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(block, n);
    }
}

// Brings what was written to the file or folder at path to disk.
inline bool syncFile(const QString& path)
{
    Descriptor fd(::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

// Copies the file at path into the new, empty file fd, its holes left as
// holes; the error number, 0 on success.
inline int copyKeepingHoles(int fd, const QString& path)
{
    Descriptor in(::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st = {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0)
        return errno;
    if (::ftruncate(fd, st.st_size) != 0)
        return errno;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (off_t at = 0; at < st.st_size;) {
        off_t end = st.st_size;
#if defined(SEEK_DATA)
        // A file system that knows no holes has data throughout.
        if (const off_t data = ::lseek(in.get(), at, SEEK_DATA); data >= 0) {
            at = data;
            const off_t hole = ::lseek(in.get(), at, SEEK_HOLE);
            end = hole > at ? hole : st.st_size;
        } else if (errno == ENXIO) {
            break;
        }
#endif
        while (at < end) {
            const ssize_t n =
                ::pread(in.get(), buffer.data(), size_t(qMin<off_t>(buffer.size(), end - at)), at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n == 0 ? EIO : errno; // it has changed meanwhile
            if (!fileio::writeAllAt(fd, buffer.constData(), n, at))
                return errno;
            at += n;
        }
    }
    return 0;
}

} // namespace useropts::fileio

#endif
