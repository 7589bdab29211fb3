// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/PlatformServices.h"

#include <QList>
#include <QPicture>
#include <QQueue>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace useropts {
class frmEditor;
}

namespace useropts::testing {

// Answers every desktop service from queues that a test fills, and records
// what a user would have seen. An empty queue means: Cancel for dialogs and
// prompts, the default answer for message boxes.
class ScriptedPlatform final : public PlatformServices
{
  public:
    // Answers, used in order.
    QQueue<MessageAnswer> messageAnswers;
    QQueue<std::optional<QString>> openAnswers; // nullopt = Cancel
    QQueue<std::optional<QString>> saveAnswers;
    QQueue<std::optional<QString>> promptAnswers;
    QQueue<HttpAnswer> httpAnswers; // successful answers, used before any redirect below

    // Printing: whether a default printer exists and what printing gives.
    // A PDF is always really written, through the real printer code.
    bool printerAvailable = true;
    Result<> printAnswer;

    // With a base set, HTTP requests go to the same path on that server
    // through the real client, with these time-outs instead of the caller's.
    QUrl httpRedirectBase;
    std::optional<HttpTimeouts> httpTimeoutsOverride;
    // Set, it runs those downloads under its own progress box instead.
    PlatformServices* realDownloadBox = nullptr;
    // Runs at each count of bytes the progress box would show, as a user
    // watching it; pressDownloadCancel() there is its Cancel button.
    std::function<void(qint64 received)> onDownloadProgress;
    void pressDownloadCancel();

    // What was shown.
    struct OpenedDialog
    {
        bool save = false;
        FileDialogRequest request;
    };
    QList<MessageRequest> messages;
    QList<OpenedDialog> fileDialogs;
    QList<PromptRequest> prompts;
    QList<QUrl> openedUrls;
    QList<QPicture> printedPages;
    QList<QString> pdfPaths;
    QList<QUrl> httpRequests;
    struct DownloadBox
    {
        QString host;
        QList<qint64> shown; // bytes received, as each count was shown
    };
    QList<DownloadBox> downloadBoxes;

    // A hook that runs while a message box would be on screen, e.g. to look at
    // the window behind it. Runs once per message, before it returns.
    std::function<void(const MessageRequest&)> onMessage;
    // Likewise while a page is printed, e.g. to send it to a real printer.
    std::function<void(const QPicture&)> onPrint;

    MessageAnswer message(QWidget* parent, const MessageRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> promptText(QWidget* parent, const PromptRequest& request) override;
    void openUrl(const QUrl& url) override;
    Result<> printPage(const QPicture& page) override;
    Result<> writePdf(const QPicture& page, const QString& path) override;
    Result<HttpAnswer> download(QWidget* parent, const HttpRequest& request,
                                HttpStop& stop) override;
    // The real programs unless a test sets its own.
    ProcessRunner& processes() override
    {
        return scriptedProcesses ? *scriptedProcesses : m_system;
    }
    ProcessRunner* scriptedProcesses = nullptr;

    void clearRecords();

  private:
    SystemProcessRunner m_system;
    HttpDownload* m_download = nullptr; // while one runs
};

// Opens or saves path through the window's dialog, as the user would.
void openThroughDialog(ScriptedPlatform& platform, frmEditor& window, const QString& path);
void saveThroughDialog(ScriptedPlatform& platform, frmEditor& window, const QString& path);

} // namespace useropts::testing
