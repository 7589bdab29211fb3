#include "support/ScriptedPlatform.h"

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

Result<HttpAnswer> ScriptedPlatform::httpGet(const QUrl& url, const HttpTimeouts& timeouts)
{
    httpRequests.append(url);
    if (!httpAnswers.isEmpty())
        return httpAnswers.dequeue();
    if (httpRedirectBase.isValid()) {
        QUrl target = url;
        target.setScheme(httpRedirectBase.scheme());
        target.setHost(httpRedirectBase.host());
        target.setPort(httpRedirectBase.port());
        return httpGetBlocking(target, httpTimeoutsOverride.value_or(timeouts));
    }
    return Failure{QStringLiteral("no network in tests: %1").arg(url.toString())};
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

} // namespace useropts::testing
