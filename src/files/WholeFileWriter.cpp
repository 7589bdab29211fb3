#include "files/WholeFileWriter.h"

#include "files/FileKind.h"
#include "files/TemporaryFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/xattr.h>
#endif
#include <cerrno>
#include <utility>

namespace useropts {

#if defined(Q_OS_UNIX)

namespace {

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

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Writes every byte at offset, or sets errno and says no.
bool writeAllAt(int fd, const QByteArray& bytes, off_t offset = 0)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done),
                                   offset + off_t(done));
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

bool readAll(int fd, QByteArray& bytes)
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

// A link names the file it points to, even one that does not exist yet: the
// link stays and its target is written.
QString fileBehindLinks(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    if (info.exists())
        return info.canonicalFilePath();
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

// A new file beside path, opened for writing. Existing content is private
// until it takes its final owner and mode.
Descriptor createSibling(const QString& path, mode_t mode, QString& created, int& error)
{
    const QFileInfo info(path);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = stem + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8,
                                                       16, QLatin1Char('0'));
        Descriptor fd(::open(encoded(created).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (fd.valid())
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return Descriptor();
        }
    }
    error = EEXIST;
    return Descriptor();
}

// Writes bytes into a new file beside path and moves it over path. With old
// set, the new file must first take the old one's owner, group and mode, or
// nothing happens. Returns the error number, 0 on success.
int replaceByRename(const QString& path, const QByteArray& bytes, const struct stat* old)
{
    QString created;
    int error = 0;
    Descriptor fd = createSibling(path, old ? 0600 : 0666, created, error);
    if (!fd.valid())
        return error;
    // It holds the new content, a password among it, until it takes the old
    // file's place.
    const TemporaryPath removedOnSignal(created);
    const auto failed = [&](int why) {
        ::unlink(encoded(created).constData());
        return why;
    };
    if (!writeAllAt(fd.get(), bytes) || ::fsync(fd.get()) != 0)
        return failed(errno);
    if (old) {
        // The owner first: changing it clears set-id bits that the mode then
        // puts back.
        if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
            ::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
            return failed(errno);
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0)
            return failed(errno);
        struct stat now = {};
        if (::fstat(fd.get(), &now) != 0)
            return failed(errno);
        if (now.st_uid != old->st_uid || now.st_gid != old->st_gid ||
            (now.st_mode & 07777) != (old->st_mode & 07777))
            return failed(EPERM);
    }
    if (!fd.close())
        return failed(errno);
    if (::rename(encoded(created).constData(), encoded(path).constData()) != 0)
        return failed(errno);
    // Make the new name itself durable; a failure here changes nothing the
    // user can act on.
    Descriptor folder(
        ::open(encoded(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return 0;
}

bool hasAccessList(const QString& path)
{
#if defined(Q_OS_LINUX)
    return ::getxattr(encoded(path).constData(), "system.posix_acl_access", nullptr, 0) > 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// Where the old content of a file that could not be put back is kept:
// somewhere the user may write, readable by the user alone.
std::optional<QString> keepCopy(const QString& path, const QByteArray& old)
{
    const QString name = QFileInfo(path).fileName() + QDateTime::currentDateTime().toString(
                                                          QStringLiteral(".'old'-yyyyMMdd-HHmmss"));
    for (const QString& folder : {QDir::tempPath(), QDir::homePath()}) {
        const QString copy = QDir(folder).filePath(name);
        Descriptor fd(::open(encoded(copy).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd.valid() && writeAllAt(fd.get(), old) && ::fsync(fd.get()) == 0 && fd.close())
            return QDir::toNativeSeparators(copy);
        if (fd.valid())
            ::unlink(encoded(copy).constData());
    }
    return std::nullopt;
}

std::optional<QString> rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    // Without waiting, for a pipe put in the file's place meanwhile.
    Descriptor fd(::open(encoded(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return systemErrorText(errno);
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0)
        return systemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file");
    QByteArray old;
    if (!readAll(fd.get(), old)) {
        return QStringLiteral("its old content could not be read to keep it safe: %1")
            .arg(systemErrorText(errno));
    }

    const auto write = [&](const QByteArray& content) -> int {
    // Room for the longer content is taken before any byte changes, so a
    // full disk is found while the old content is still whole.
#if defined(Q_OS_LINUX)
        if (content.size() > old.size()) {
            const int e = ::posix_fallocate(fd.get(), 0, off_t(content.size()));
            if (e != 0 && e != EINVAL && e != EOPNOTSUPP)
                return e;
        }
#endif
        if (!writeAllAt(fd.get(), content) || ::ftruncate(fd.get(), off_t(content.size())) != 0 ||
            ::fsync(fd.get()) != 0)
            return errno;
        return 0;
    };
    const int error = write(bytes);
    if (error == 0)
        return std::nullopt;
    const int restoreError = write(old);
    if (restoreError == 0)
        return systemErrorText(error);

    const auto copy = keepCopy(path, old);
    return QStringLiteral("%1, and putting its old content back failed too (%2), so the file may "
                          "be damaged; %3")
        .arg(systemErrorText(error), systemErrorText(restoreError),
             copy ? QStringLiteral("a copy of its old content was kept in %1").arg(*copy)
                  : QStringLiteral("no copy of its old content could be kept either"));
}

// Why nothing was written, as a clause, or nothing.
std::optional<QString> replaceWholeFile(const QString& path, const QByteArray& bytes)
{
    if (Result<> regular = requireRegularFile(path); !regular.ok())
        return regular.failure().reason;
    const QString target = fileBehindLinks(path);
    struct stat old = {};
    if (::stat(encoded(target).constData(), &old) != 0) {
        if (errno != ENOENT)
            return systemErrorText(errno);
        if (const int error = replaceByRename(target, bytes, nullptr))
            return systemErrorText(error);
        return std::nullopt;
    }
    if (!S_ISREG(old.st_mode))
        return QStringLiteral("it is not a regular file");
    // A file the user may not write stays as it is, even where the folder
    // would allow replacing it.
    if (::faccessat(AT_FDCWD, encoded(target).constData(), W_OK, AT_EACCESS) != 0)
        return systemErrorText(errno);
    // A new file cannot carry a second hard link or the access list that
    // may grant other users the file, and where it cannot take the old
    // owner, group or mode, or the folder forbids it, the rename declines and
    // the file is rewritten where it is.
    if (old.st_nlink == 1 && !hasAccessList(target) && replaceByRename(target, bytes, &old) == 0)
        return std::nullopt;
    return rewriteInPlace(target, bytes);
}

} // namespace

#else

namespace {

// Why nothing was written, as a clause, or nothing.
std::optional<QString> replaceWholeFile(const QString& path, const QByteArray& bytes)
{
    if (Result<> regular = requireRegularFile(path); !regular.ok())
        return regular.failure().reason;
    QSaveFile file(path);
    // Unbuffered: a write that fails only when a buffer is flushed (a full
    // disk) would otherwise go unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace

#endif

Result<> writeWholeFile(const QString& path, const QByteArray& bytes, const QString& shownAs)
{
    if (const auto why = replaceWholeFile(path, bytes)) {
        return Failure{
            QStringLiteral("cannot write %1: %2")
                .arg(shownAs.isEmpty() ? QDir::toNativeSeparators(path) : shownAs, *why)};
    }
    return {};
}

} // namespace useropts
