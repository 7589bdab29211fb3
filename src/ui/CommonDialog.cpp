// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CommonDialog.h"

#include "ui/PlatformServices.h"

namespace useropts {

CommonDialog::CommonDialog(PlatformServices& platform, QWidget* owner)
    : m_platform(platform), m_owner(owner),
      m_title(QStringLiteral("Select USEROPTS.BAT to Modify")),
      m_fileName(QStringLiteral("USEROPTS.BAT")),
      // The dialog lists only files of exactly this name.
      m_filter(QStringLiteral("USEROPTS.BAT|USEROPTS.BAT|Floppy images|*.img *.ima *.vfd *.flp"))
{}

bool CommonDialog::ShowOpen()
{
    return show(false);
}

bool CommonDialog::ShowSave()
{
    return show(true);
}

bool CommonDialog::show(bool save)
{
    const FileDialogRequest request{m_title, m_fileName, m_filter};
    const std::optional<QString> chosen = save ? m_platform.saveFileName(m_owner, request)
                                               : m_platform.openFileName(m_owner, request);
    if (!chosen)
        return false;
    m_fileName = *chosen;
    return true;
}

} // namespace useropts
