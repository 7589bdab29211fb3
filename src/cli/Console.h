// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace useropts {

// Data for scripts goes to standard output, in UTF-8.
void printData(const QString& text);
void printData(const QByteArray& utf8);

// One message line on standard error: "useropts: <text>".
void printMessage(const QString& text);

// A line on standard error as it stands, such as a hint after a message.
void printNote(const QString& text);

// Whether standard error is a terminal, where progress may be shown.
bool messagesGoToTerminal();

// Shows progress on the terminal's last line; an empty text clears it.
void showProgress(const QString& text);

// Done when everything printed as data has reached standard output.
bool dataWrittenWhole();

} // namespace useropts
