// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtPlatformServices.h"

#include "floppy/FloppyImage.h"
#include "ui/EditorLayout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

namespace useropts {

namespace {

// "description|pattern" pairs as the dialog's name filters.
QString toNameFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return filters.join(QStringLiteral(";;"));
}

// Saving into a floppy image writes the file inside it and keeps the rest,
// so the question whether to replace the image would be untrue there.
class FileDialog final : public QFileDialog
{
  public:
    using QFileDialog::QFileDialog;

  protected:
    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const Result<bool> image =
            chosen.isEmpty() ? Result<bool>(false) : isFloppyImage(chosen.first());
        setOption(QFileDialog::DontConfirmOverwrite, image.ok() && image.value());
        QFileDialog::accept();
    }
};

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode)
{
    FileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(toNameFilter(request.filter));
    if (!request.fileName.isEmpty()) {
        const QFileInfo info(request.fileName);
        if (info.isAbsolute())
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}

// A download's progress: the host, the bytes so far and Cancel. It is no
// modal dialog in Qt's sense, since Qt drops a close request to a window that
// a modal dialog blocks, and closing the editor's window during a download
// must end it and the program; the caller disables its window instead.
class DownloadBox final : public QDialog
{
  public:
    DownloadBox(QWidget* parent, const QString& host) : QDialog(parent)
    {
        setWindowTitle(QString::fromLatin1(kWindowCaption));
        setWindowModality(Qt::NonModal);
        setEnabled(true); // a window of its own, usable over its disabled parent
        auto* text =
            new QLabel(QStringLiteral("Downloading the card list from %1").arg(host), this);
        m_received = new QLabel(this);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addWidget(m_received);
        layout->addWidget(buttons);
        setMinimumWidth(320);
        showReceived(0);
        if (parent)
            parent->window()->installEventFilter(this);
    }

    void showReceived(qint64 bytes)
    {
        m_received->setText(
            bytes == 1 ? QStringLiteral("1 byte received")
                       : QStringLiteral("%1 bytes received").arg(QLocale().toString(bytes)));
    }

  protected:
    // As over a modal dialog's parent: a click on the window brings the box
    // back to the front, where Escape goes.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate) {
            QTimer::singleShot(0, this, [this] {
                raise();
                activateWindow();
            });
        }
        return QDialog::eventFilter(watched, event);
    }

  private:
    QLabel* m_received;
};

} // namespace

MessageAnswer QtPlatformServices::message(QWidget* parent, const MessageRequest& request)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.title);
    // The texts break their lines with carriage returns, which a plain text
    // label would run together.
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    box.setText(text);
    switch (request.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultAnswer == MessageAnswer::No ? QMessageBox::No
                                                                        : QMessageBox::Yes);
        // Escape and the close box mean No: the only answers are Yes and No.
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (request.buttons == MessageButtons::YesNo)
        return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

std::optional<QString> QtPlatformServices::openFileName(QWidget* parent,
                                                        const FileDialogRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatformServices::saveFileName(QWidget* parent,
                                                        const FileDialogRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtPlatformServices::promptText(QWidget* parent, const PromptRequest& request)
{
    // A title may carry carriage returns that break it into lines, such as an
    // example of what to type. A title bar shows one line only, so the first
    // line stays the title and the others join the prompt, where they are read.
    QString lines = request.title;
    lines.replace(u'\n', u'\r');
    QStringList titleLines = lines.split(u'\r');
    const QString title = titleLines.takeFirst();
    titleLines.removeAll(QString());
    QStringList labelLines{request.prompt};
    labelLines << titleLines;

    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(labelLines.join(u'\n'));
    dialog.setTextValue(request.defaultAnswer);
    // Wide enough for a full path in the default answer to be seen whole.
    dialog.resize(qMax(dialog.sizeHint().width(), 480), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtPlatformServices::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

Result<> QtPlatformServices::printPage(const QPicture& page)
{
    return printOnDefaultPrinter(page);
}

Result<> QtPlatformServices::writePdf(const QPicture& page, const QString& path)
{
    return useropts::writePdf(page, path);
}

Result<HttpAnswer> QtPlatformServices::download(QWidget* parent, const HttpRequest& request,
                                                HttpStop& stop)
{
    HttpDownload download(request);
    DownloadBox box(parent, request.url.host());
    QObject::connect(&download, &HttpDownload::progressed, &box, &DownloadBox::showReceived);
    // Cancel, Escape and the box's close button alike.
    QObject::connect(&box, &QDialog::rejected, &download, &HttpDownload::cancel);
    QObject::connect(&stop, &HttpStop::requested, &download, &HttpDownload::cancel);
    if (!stop.isRequested()) {
        download.start();
        box.show();
    }
    return download.waitForResult();
}

} // namespace useropts
