// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

// The name an update gives a card list file it creates. Any name that
// differs from it only in letter case is the same card list file: lists
// extracted from the archive arrive as "CARDDATA.TXT".
inline constexpr char kCardFileName[] = "CardData.txt";

// The error numbers of a failed load, which the user is shown. A missing
// file shows none: it is of the kind Missing and leads to the offer to
// download the list.
namespace CardFileError {
inline constexpr int DeviceIO = 57;     // reading failed part way
inline constexpr int NoPermission = 70; // the file may not be read
inline constexpr int PathAccess =
    75; // any other failure to open it, a folder of that name included
} // namespace CardFileError

// The card list file in directory, whatever the letter case of its name, or
// nothing. When several names qualify, "CardData.txt" itself wins, then the
// lowest name in byte order, so that loading and updating agree on one file.
std::optional<QString> findCardFile(const QString& directory);

// Where the card list lives. A copy run from a folder of its own keeps its
// list beside the program, and that folder is its own. An installed copy's
// folder is not the user's to write: it reads the user's own list when there
// is one and else the list shipped with it, and an update stores the user's
// own.
struct CardPlaces
{
    QString own;     // read first; an update stores the list here
    QString shipped; // read when own holds no list; empty when nothing is shipped
};

// The folder a load reads: own when it holds a list, else shipped if there
// is one, else own.
QString cardFolderToRead(const CardPlaces& places);

// Where an update stores the list: the file that loading would read, or a
// new "CardData.txt".
QString cardFileForUpdate(const QString& directory);

// Stores bytes as the card list in folder, creating the folder first where
// it does not exist yet (a user's own data folder, at the first update).
Result<> storeCardList(const QString& folder, const QByteArray& bytes);

// Fills entries from the card list file in directory. A failure carries
// one of the error numbers above; entries then holds those of the lines
// read whole before it.
Result<> loadCardFile(const QString& directory, QStringList& entries);

} // namespace useropts
