// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileDrops.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <utility>

namespace useropts {

FileDrops::FileDrops(QWidget* window, Open open)
    : QObject(window), m_window(window), m_open(std::move(open))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

void FileDrops::watch(QWidget* control)
{
    control->installEventFilter(this);
}

bool FileDrops::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppedFile(*drop);
        if (file.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop)
            QMetaObject::invokeMethod(
                this, [this, file] { m_open(file); }, Qt::QueuedConnection);
        return true;
    }
    case QEvent::DragLeave:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

QString FileDrops::droppedFile(const QDropEvent& drop) const
{
    // A disabled window's filters still see drops, as while the card list
    // downloads; it takes none then.
    if (!m_window->isEnabled() || !(drop.possibleActions() & Qt::CopyAction))
        return {};
    const QList<QUrl> urls = drop.mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    // After following links; never a folder, a pipe or a device.
    const QString path = urls.first().toLocalFile();
    if (!QFileInfo(path).isFile())
        return {};
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace useropts
