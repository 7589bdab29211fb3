#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

// The name an update gives a card list file it creates. Any name that
// differs from it only in letter case is the same card list file: lists
// extracted from the archive arrive as "CARDDATA.TXT".
inline constexpr char kCardFileName[] = "CardData.txt";

// Error numbers shown when a card list file exists but cannot be read.
enum class CardFileError : int
{
    DeviceIO = 57,     // reading failed part way
    NoPermission = 70, // the file may not be read
    PathAccess = 75,   // any other failure to open it, a directory of that name included
};

// The card list file in directory, whatever the letter case of its name, or
// nothing. When several names qualify, "CardData.txt" itself wins, then the
// lowest name in byte order, so that loading and updating agree on one file.
std::optional<QString> findCardFile(const QString& directory);

// Where an update stores the list: the file that loading would read, or a
// new "CardData.txt".
QString cardFileForUpdate(const QString& directory);

struct CardFileLoad
{
    enum class Status
    {
        Loaded,
        Missing,
        Failed
    };
    Status status = Status::Missing;
    QStringList entries; // on a failure, those of the lines read before it
    int errorNumber = 0; // set when Failed
};

CardFileLoad loadCardFile(const QString& directory);

// Writes bytes as the whole new content of path through a temporary file
// beside it, which replaces the old file only once it is complete. Returns
// what failed, in words for the user; nothing on success.
std::optional<QString> replaceCardFile(const QString& path, const QByteArray& bytes);

} // namespace useropts
