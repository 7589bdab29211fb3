#include "settings/WholeFileWriter.h"

#include <QSaveFile>

namespace useropts {

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Unbuffered: a write that fails only when a buffer is flushed (a full
    // disk) would otherwise go unnoticed, and the short temporary file would
    // replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return why;
        }
        written += n;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace useropts
