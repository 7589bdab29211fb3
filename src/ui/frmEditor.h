// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cards/CardFile.h"
#include "cards/HttpDownload.h"
#include "common/Result.h"
#include "settings/ComputerName.h"
#include "settings/EditorFields.h"
#include "ui/CommonDialog.h"
#include "ui/EditorLayoutBuilder.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QCloseEvent;
class QLineEdit;

namespace useropts {

class KeyboardHelp;
class PlatformServices;

// The editor's one window. Its controls hold the twenty settings; handlers
// are named after the control and event that start them.
class frmEditor : public QWidget
{
    Q_OBJECT

  public:
    explicit frmEditor(PlatformServices& platform, QWidget* parent = nullptr);

    // Program start: version, window, card list, first file, defaults. With
    // a file named on the command line, that file is read instead of asking.
    void Form_Load(const QString& file = {});

    void cmdNew_Click();
    void cmdOpen_Click();
    void cmdSave_Click();
    void cmdPrint_Click();
    void cmdGetCards_Click();
    void cmdQuit_Click();
    void cboDHCP_Click();
    void cboDHCP_KeyPress();
    void Label2_Click();
    void Label2_MouseMove();
    void PicHeader_MouseMove();

    void NewSettings();
    // Reads path into the fields line by line; a file that cannot be read to
    // its end is reported to the user, and the lines before stay applied.
    void ReadSettings(const QString& path);
    // Writes the fields to path, or says why the file was left as it was.
    Result<> SaveSettings(const QString& path);
    // How a settings file is named to the user: a path alone, or an image's
    // path followed by the file inside it.
    QString shownSettingsFile(const QString& path) const;
    void ReadCardData();
    void GetCardData();

    // The settings as the controls hold them, and one field put back.
    EditorFields fields() const;
    void applyField(Field field, const EditorFields& values);

    void setRandomSource(UnitRandom random);
    // Where the card list is read and stored; beside the program unless set.
    void setCardPlaces(const CardPlaces& places);
    // The list kept in directory alone, as a copy run from its own folder does.
    void setCardDirectory(const QString& directory);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // During a download: ends it, and the program once it has stopped.
    void closeEvent(QCloseEvent* event) override;

  private:
    // As if path were picked in the Open dialog.
    void openFile(const QString& path);
    QLineEdit* textField(Field field) const;
    QComboBox* choiceField(Field field) const;
    void showWarning(const QString& title, const QString& text);
    Result<HttpAnswer> downloadCardList(const QString& host);
    void closeAfterDownload();

    PlatformServices& m_platform;
    CommonDialog CommonDialog1;
    QString strSettingsFile;
    // The floppy image the settings last came from or went to; empty when
    // that was a plain file.
    QString m_imageFile;
    UnitRandom m_random = timeSeededUnitRandom;
    CardPlaces m_cardPlaces;
    HttpStop* m_downloadStop = nullptr; // while the card list downloads
    bool m_closeAfterDownload = false;

    EditorControls m_controls;
    KeyboardHelp* m_keyboardHelp;
};

} // namespace useropts
