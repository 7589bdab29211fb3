// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace useropts::testing {

// Runs a tool of dosfstools or mtools that tests make their images with:
// its exit code (-1 when it did not end normally), its output in *output.
inline int tool(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                QByteArray* output = nullptr)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The 512-byte blocks the file at path takes on disk, as stat -c %b says;
// -1 when it cannot be told.
inline qint64 blocksOf(const QString& path)
{
    QByteArray out;
    bool read = false;
    const qint64 blocks = tool(QStringLiteral("stat"),
                               {QStringLiteral("-c"), QStringLiteral("%b"), path}, {}, &out) == 0
                              ? out.trimmed().toLongLong(&read)
                              : -1;
    return read ? blocks : -1;
}

// Replaces the first occurrence of from with to, as long, in the file at
// path: a name in a folder entry, say. False when from is not there.
inline bool replaceInFile(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qsizetype at = file.readAll().indexOf(from);
    return at >= 0 && to.size() == from.size() && file.seek(at) && file.write(to) == to.size();
}

// Sets one cluster's entry of a FAT12 image's allocation tables: table 0,
// table 1, or both (-1), as damage a test wants.
inline bool setAllocationEntry(const QString& image, int table, unsigned cluster, unsigned value)
{
    QFile file(image);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray boot = file.read(512);
    const auto u16 = [&](int at) { return unsigned(uchar(boot[at])) | uchar(boot[at + 1]) << 8; };
    for (int t = 0; t < 2; ++t) {
        if (table >= 0 && t != table)
            continue;
        const qint64 at = (u16(14) + t * u16(22)) * qint64(u16(11)) + cluster * 3 / 2;
        char pair[2];
        if (!file.seek(at) || file.read(pair, 2) != 2)
            return false;
        unsigned word = uchar(pair[0]) | uchar(pair[1]) << 8;
        word = cluster & 1 ? (word & 0x000F) | value << 4 : (word & 0xF000) | (value & 0x0FFF);
        pair[0] = char(word & 0xFF);
        pair[1] = char(word >> 8);
        if (!file.seek(at) || file.write(pair, 2) != 2)
            return false;
    }
    return true;
}

} // namespace useropts::testing
