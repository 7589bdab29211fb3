// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPlatform.h"

#include "ui/frmEditor.h"

#include <QScopeGuard>

namespace useropts::testing {

MessageAnswer ScriptedPlatform::message(QWidget*, const MessageRequest& request)
{
    messages.append(request);
    if (onMessage)
        onMessage(request);
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    if (request.buttons == MessageButtons::YesNo)
        return request.defaultAnswer == MessageAnswer::No ? MessageAnswer::No : MessageAnswer::Yes;
    return MessageAnswer::Ok;
}

std::optional<QString> ScriptedPlatform::openFileName(QWidget*, const FileDialogRequest& request)
{
    fileDialogs.append({false, request});
    return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::saveFileName(QWidget*, const FileDialogRequest& request)
{
    fileDialogs.append({true, request});
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::promptText(QWidget*, const PromptRequest& request)
{
    prompts.append(request);
    return promptAnswers.isEmpty() ? std::nullopt : promptAnswers.dequeue();
}

void ScriptedPlatform::openUrl(const QUrl& url)
{
    openedUrls.append(url);
}

Result<> ScriptedPlatform::printPage(const QPicture& page)
{
    printedPages.append(page);
    if (onPrint)
        onPrint(page);
    if (!printerAvailable)
        return Failure{QStringLiteral("no default printer is set up")};
    return printAnswer;
}

Result<> ScriptedPlatform::writePdf(const QPicture& page, const QString& path)
{
    pdfPaths.append(path);
    return useropts::writePdf(page, path);
}

Result<HttpAnswer> ScriptedPlatform::download(QWidget* parent, const HttpRequest& request,
                                              HttpStop& stop)
{
    httpRequests.append(request.url);
    if (!httpAnswers.isEmpty())
        return httpAnswers.dequeue();
    if (!httpRedirectBase.isValid())
        return Failure{QStringLiteral("no network in tests: %1").arg(request.url.toString())};
    HttpRequest local = request;
    local.url.setScheme(httpRedirectBase.scheme());
    local.url.setHost(httpRedirectBase.host());
    local.url.setPort(httpRedirectBase.port());
    local.timeouts = httpTimeoutsOverride.value_or(request.timeouts);
    if (realDownloadBox)
        return realDownloadBox->download(parent, local, stop);

    downloadBoxes.append({request.url.host(), {}});
    HttpDownload download(local);
    QObject::connect(&stop, &HttpStop::requested, &download, &HttpDownload::cancel);
    QObject::connect(&download, &HttpDownload::progressed, &download, [this](qint64 received) {
        downloadBoxes.last().shown.append(received);
        if (onDownloadProgress)
            onDownloadProgress(received);
    });
    m_download = &download;
    const auto forget = qScopeGuard([this] { m_download = nullptr; });
    if (!stop.isRequested())
        download.start();
    return download.waitForResult();
}

void ScriptedPlatform::pressDownloadCancel()
{
    if (m_download)
        m_download->cancel();
}

void ScriptedPlatform::clearRecords()
{
    messages.clear();
    fileDialogs.clear();
    prompts.clear();
    openedUrls.clear();
    printedPages.clear();
    pdfPaths.clear();
    httpRequests.clear();
}

void openThroughDialog(ScriptedPlatform& platform, frmEditor& window, const QString& path)
{
    platform.openAnswers.enqueue(path);
    window.cmdOpen_Click();
}

void saveThroughDialog(ScriptedPlatform& platform, frmEditor& window, const QString& path)
{
    platform.saveAnswers.enqueue(path);
    window.cmdSave_Click();
}

} // namespace useropts::testing
