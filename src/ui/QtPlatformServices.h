// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/PlatformServices.h"

namespace useropts {

// The real desktop: Qt's dialogs, the default printer and the network.
class QtPlatformServices final : public PlatformServices
{
  public:
    MessageAnswer message(QWidget* parent, const MessageRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> promptText(QWidget* parent, const PromptRequest& request) override;
    void openUrl(const QUrl& url) override;
    Result<> printPage(const QPicture& page) override;
    Result<> writePdf(const QPicture& page, const QString& path) override;
    Result<HttpAnswer> download(QWidget* parent, const HttpRequest& request,
                                HttpStop& stop) override;
    ProcessRunner& processes() override { return m_processes; }

  private:
    SystemProcessRunner m_processes;
};

} // namespace useropts
