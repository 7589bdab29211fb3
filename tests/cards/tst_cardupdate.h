// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LocalHttpServer.h"
#include "support/ScriptedPlatform.h"

#include "ui/frmEditor.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QComboBox>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The card list update against web servers and proxies of the test's own on
// 127.0.0.1 (proxies and Cancel in tst_cardupdate_network.cpp). The https
// rows, the close during a stall and an update without libcurl run in copies
// of this program (tst_cardupdate_process.cpp).
class TestCardUpdate : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void update_data();
    void update();
    void shorterList_data();
    void shorterList();
    void proxy_data();
    void proxy();
    void cancel_data();
    void cancel();
    void missingFileAtStartup_data();
    void missingFileAtStartup();
    void unreadableFileReportsNumber_data();
    void unreadableFileReportsNumber();

    void httpsInPrivateStore();
    void https_data();
    void https();
    void closeDuringStall_data();
    void closeDuringStall();
    void closeDuringStallChild();
    void withoutLibcurl();
    void withoutLibcurlChild();

  private:
    QComboBox* cards() const { return m_window->findChild<QComboBox*>("cboNIC"); }
    QAbstractButton* button() const { return m_window->findChild<QAbstractButton*>("cmdGetCards"); }
    QStringList entries() const;
    // The list as the archive names it: an update must replace this very file.
    void writeOldList(const QByteArray& bytes);
    QStringList titles() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<useropts::testing::LocalHttpServer> m_server;
    std::unique_ptr<useropts::testing::ScriptedPlatform> m_platform;
    std::unique_ptr<useropts::frmEditor> m_window;
};

namespace cardupdate {

extern const QByteArray kOldFile;
extern const QStringList kOldEntries;
extern const QByteArray kNewList;
extern const QStringList kNewEntries;
extern const QString kQuestionTitle;
extern const QString kNotUpdated;

// A whole answer, ended by closing the connection.
QByteArray reply(const QByteArray& body, const QByteArray& status = "200 OK",
                 const QByteArray& headers = {});
QByteArray readFile(const QString& path);

} // namespace cardupdate
