#pragma once

#include <QByteArray>
#include <QString>

namespace useropts {

// The stored password is scrambled, not encrypted: every code is shifted by
// its position (1 for the first character), which the boot menu undoes. Anyone
// who can read the file can read the password.

struct CipherBytes
{
    QByteArray bytes;
    int failedPosition = 0; // 1-based position that could not be shifted, 0 when none
    bool ok() const { return failedPosition == 0; }
};

CipherBytes encryptCodes(const QByteArray& plain);
CipherBytes decryptCodes(const QByteArray& stored);

struct CipherText
{
    QString text;
    QString error; // empty on success; then text is the result
    bool ok() const { return error.isEmpty(); }
};

// Text forms over the file's character set. Encrypt also fails on a
// character that has no code in that set.
CipherText Encrypt(const QString& plain);
CipherText Decrypt(const QString& stored);

QString describeEncryptFailure(const QByteArray& plain, int position);
QString describeDecryptFailure(const QByteArray& stored, int position);

} // namespace useropts
