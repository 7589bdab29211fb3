// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cards/HttpDownload.h"
#include "floppy/ProcessRunner.h"
#include "report/PagePrinter.h"

#include <QPicture>
#include <QString>
#include <QUrl>

#include <optional>

class QWidget;

namespace useropts {

enum class MessageButtons
{
    Ok,
    YesNo
};
enum class MessageIcon
{
    None,
    Information,
    Warning,
    Question
};
enum class MessageAnswer
{
    Ok,
    Yes,
    No
};

struct MessageRequest
{
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

struct FileDialogRequest
{
    QString title;
    QString fileName; // initial file name
    QString filter;   // in the form "description|pattern"
};

struct PromptRequest
{
    QString prompt;
    QString title;
    QString defaultAnswer;
};

// Every service the window needs from the desktop goes through here, so that
// tests can script the answers and read back what would have been shown.
class PlatformServices
{
  public:
    virtual ~PlatformServices() = default;

    virtual MessageAnswer message(QWidget* parent, const MessageRequest& request) = 0;

    // Nothing when the user cancels.
    virtual std::optional<QString> openFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;

    // Nothing when the user cancels.
    virtual std::optional<QString> promptText(QWidget* parent, const PromptRequest& request) = 0;

    // Hands the address to the desktop's browser and returns at once.
    virtual void openUrl(const QUrl& url) = 0;

    // One page holding the picture (pictureOf), on the default printer,
    // without a dialog.
    virtual Result<> printPage(const QPicture& page) = 0;
    virtual Result<> writePdf(const QPicture& page, const QString& path) = 0;

    // Outside programs, such as mtools for floppy images.
    virtual ProcessRunner& processes() = 0;

    // One download to its end, while a small box over parent shows the host,
    // the bytes received so far and Cancel. Cancel, Escape and the box's close
    // button end it at once, as stop.request() does, with the error number
    // HttpError::Cancelled. The caller keeps the rest of its window from use.
    virtual Result<HttpAnswer> download(QWidget* parent, const HttpRequest& request,
                                        HttpStop& stop) = 0;
};

} // namespace useropts
