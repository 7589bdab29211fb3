// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QDropEvent;
class QWidget;

namespace useropts {

// A file dropped anywhere on the window is opened, as if picked in the Open
// dialog. Only one file is taken: several at once are refused rather than
// one of them picked, since opening replaces what is being edited, and the
// file meant would be a guess. Anything else (text, a folder, a web address)
// is refused too, and nothing dropped ever becomes a setting's text.
class FileDrops final : public QObject
{
    Q_OBJECT

  public:
    using Open = std::function<void(const QString& path)>;

    // open runs once the drop has ended, so that the program it came from
    // is not kept waiting by a message the opening shows.
    FileDrops(QWidget* window, Open open);

    // A control that would otherwise take the drop as text: the drop goes to
    // the window's handling instead.
    void watch(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The file a drop would open; empty when the drop is refused.
    QString droppedFile(const QDropEvent& drop) const;

    QWidget* m_window;
    Open m_open;
};

} // namespace useropts
