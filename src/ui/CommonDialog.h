// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace useropts {

class PlatformServices;

// The window's file dialog: it remembers its title and file name between
// uses, like the dialog component the window carries, and tells a Cancel
// apart from an empty file name.
class CommonDialog
{
  public:
    CommonDialog(PlatformServices& platform, QWidget* owner);

    const QString& dialogTitle() const { return m_title; }
    void setDialogTitle(const QString& title) { m_title = title; }

    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }

    // "description|pattern"
    const QString& filter() const { return m_filter; }

    // True when the user chose a file, which then becomes the file name;
    // false on Cancel, which leaves the file name as it was.
    bool ShowOpen();
    bool ShowSave();

  private:
    bool show(bool save);

    PlatformServices& m_platform;
    QWidget* m_owner;
    QString m_title;
    QString m_fileName;
    QString m_filter;
};

} // namespace useropts
