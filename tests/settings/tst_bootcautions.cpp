// SPDX-License-Identifier: GPL-3.0-or-later
// What the boot will do with each value: every check of the table cautions
// just past its limit and not at it, and no sound file gets a caution.
#include "settings/BootCautions.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsWriter.h"

#include <QTest>

using namespace useropts;

namespace {

using Edits = QList<std::pair<Field, QString>>;

// Static settings with the DNS redirector on, every address sound: what a
// room of machines with fixed addresses has.
EditorFields staticFields()
{
    EditorFields f = defaultSettings();
    f.choice(Field::DisableDhcp) = 1;
    f.text(Field::IpAddress) = "10.0.0.5";
    f.text(Field::SubnetMask) = "255.255.255.0";
    f.text(Field::DefaultGateway) = "10.0.0.1";
    f.text(Field::Dns) = "10.0.0.2";
    f.text(Field::Wins) = "10.0.0.3";
    f.text(Field::ComputerName) = "LAB-PC7";
    return f;
}

QByteArray fileWith(const Edits& edits)
{
    EditorFields f = staticFields();
    for (const auto& [field, value] : edits) {
        if (isChoice(field))
            f.choice(field) = value.toInt();
        else
            f.text(field) = value;
    }
    return writeSettings(f).value();
}

// Each caution as the command shows it, without what happens at boot.
QStringList problemsOf(const QByteArray& file)
{
    QStringList problems;
    for (const BootCaution& caution : bootCautions(file)) {
        const std::string_view name = settingName(caution.field);
        problems << QString::fromLatin1(name.data(), qsizetype(name.size())) + ": " +
                        caution.problem;
    }
    return problems;
}

} // namespace

class TestBootCautions : public QObject
{
    Q_OBJECT

  private slots:
    void eachRuleAtItsLimit_data();
    void eachRuleAtItsLimit();
    void wordsOfEachKind_data();
    void wordsOfEachKind();
    void soundFilesGiveNone();
};

void TestBootCautions::eachRuleAtItsLimit_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QStringList>("problems");
    const auto row = [](const char* name, const Edits& edits, const QStringList& problems = {}) {
        QTest::newRow(name) << edits << problems;
    };
    // Names: 15 characters of the client's own.
    row("computer name of 15", {{Field::ComputerName, "ABCDEFGHIJKLMNO"}});
    row("computer name of 16", {{Field::ComputerName, "ABCDEFGHIJKLMNOP"}},
        {"WKSTN: is 16 characters long"});
    row("generated name of any length", {{Field::ComputerName, "KZ1234567890123456"}});
    row("workgroup of 16", {{Field::Workgroup, "ABCDEFGHIJKLMNOP"}},
        {"WORKGROUP: is 16 characters long"});
    row("every sign a name may hold", {{Field::ComputerName, "a1!@#$^&()-_'{}"}});
    row("a blank in a name", {{Field::Workgroup, "MY LAB"}}, {"WORKGROUP: holds a blank"});
    row("a sign no name may hold", {{Field::ComputerName, "PC*1"}}, {"WKSTN: holds '*'"});
    row("user name of 20", {{Field::UserName, QString(20, 'u')}});
    row("user name of 21", {{Field::UserName, QString(21, 'u')}},
        {"USERNAME: is 21 characters long"});
    row("password of 14", {{Field::Password, QString(14, 'p')}});
    row("password of 15", {{Field::Password, QString(15, 'p')}},
        {"PASSWORD: is 15 characters long"});
    // Addresses.
    row("highest part", {{Field::Wins, "10.0.0.255"}});
    row("part too large", {{Field::Wins, "10.0.0.256"}},
        {"WINS: is '10.0.0.256', not four numbers from 0 to 255 joined by dots"});
    row("three parts", {{Field::IpAddress, "10.20.1"}},
        {"IPADDRESS0: is '10.20.1', not four numbers from 0 to 255 joined by dots"});
    row("a leading zero", {{Field::Dns, "10.0.0.010"}},
        {"DNS: is '10.0.0.010', whose part 010 begins with a zero"});
    row("no own address", {{Field::IpAddress, ""}}, {"IPADDRESS0: is empty"});
    row("no gateway, DNS or WINS server",
        {{Field::DefaultGateway, ""}, {Field::Dns, ""}, {Field::Wins, ""}});
    row("DNS server unused without the redirector", {{Field::DnsEnable, "0"}, {Field::Dns, "x"}});
    row("static addresses unused with DHCP",
        {{Field::DisableDhcp, "0"}, {Field::IpAddress, "10.20.1"}, {Field::SubnetMask, ""}});
    // The subnet.
    row("mask of one bit", {{Field::SubnetMask, "128.0.0.0"}, {Field::DefaultGateway, ""}});
    row("mask with a hole", {{Field::SubnetMask, "255.0.255.0"}},
        {"SUBNETMASK0: is 255.0.255.0, not a run of ones followed by zeros"});
    row("mask of no bits", {{Field::SubnetMask, "0.0.0.0"}}, {"SUBNETMASK0: is 0.0.0.0"});
    row("first and last host", {{Field::IpAddress, "10.0.0.254"}});
    row("the subnet's own address", {{Field::IpAddress, "10.0.0.0"}},
        {"IPADDRESS0: is 10.0.0.0, the address of its subnet itself"});
    row("the broadcast address", {{Field::IpAddress, "10.0.0.255"}},
        {"IPADDRESS0: is 10.0.0.255, the broadcast address of its subnet"});
    row("gateway outside the subnet", {{Field::DefaultGateway, "10.0.1.1"}},
        {"DEFAULTGATEWAY0: is 10.0.1.1, outside the subnet 10.0.0.0 with mask 255.255.255.0"});
    row("gateway is the own address", {{Field::DefaultGateway, "10.0.0.5"}},
        {"DEFAULTGATEWAY0: is the card's own address"});
    // The time-out.
    row("plain seconds", {{Field::TimeOut, "020"}});
    row("seconds with words", {{Field::TimeOut, "15 sec"}},
        {"TIMEOUT: is '15 sec', not a whole number of seconds written plainly"});
    // Every line the shell runs.
    row("line of 127 bytes", {{Field::LogonScript, QString(111, 'x')}});
    row("line of 128 bytes", {{Field::LogonScript, QString(112, 'x')}},
        {"LOGONSCRIPT: makes line 12 128 bytes long"});
    row("blank at the start", {{Field::UserName, " jo"}}, {"USERNAME: begins with a blank"});
    row("blank at the end", {{Field::LogonScript, "LOGON.BAT "}},
        {"LOGONSCRIPT: ends with a blank"});
    row("beyond ASCII", {{Field::ComputerName, QString::fromUtf8("café")}},
        {"WKSTN: holds 'é' (code 233)"});
    row("what the shell cuts, first of each line",
        {{Field::NetCard, "EL3>X - a card"},
         {Field::UserName, "x>y"},
         {Field::Password, "a>b%"}, // a label: the shell skips it
         {Field::LogonScript, "50%off|more"},
         {Field::TimeOut, "20%"}}, // a rem line: no variables there
        {"NETCARD: holds '>'", "USERNAME: holds '>'", "LOGONSCRIPT: holds '%'",
         "TIMEOUT: is '20%', not a whole number of seconds written plainly"});
}

void TestBootCautions::eachRuleAtItsLimit()
{
    QFETCH(Edits, edits);
    QFETCH(QStringList, problems);
    QCOMPARE(problemsOf(fileWith(edits)), problems);
}

void TestBootCautions::wordsOfEachKind_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("text");
    QTest::newRow("name") << Edits{{Field::ComputerName, "ABCDEFGHIJKLMNOPQ"}}
                          << "is 17 characters long: when the floppy boots, the DOS network "
                             "client takes names of at most 15, so the floppy cannot log on "
                             "with it";
    QTest::newRow("leading zero")
        << Edits{{Field::IpAddress, "10.0.0.010"}}
        << "is '10.0.0.010', whose part 010 begins with a zero: when the floppy boots, some "
           "TCP/IP stacks read such a part as octal, 010 as 8, and take another address for "
           "the card";
    QTest::newRow("time-out read as none")
        << Edits{{Field::TimeOut, "ten"}}
        << "is 'ten', not a whole number of seconds written plainly: when the floppy boots, "
           "the boot menu reads it as 0, so the menu will not wait";
    QTest::newRow("time-out read as a fraction")
        << Edits{{Field::TimeOut, "2.5"}}
        << "is '2.5', not a whole number of seconds written plainly: when the floppy boots, "
           "the boot menu reads it as 2.5";
    QTest::newRow("line cut") << Edits{{Field::Workgroup, QString(110, 'w') + "TAIL"}}
                              << "makes line 5 128 bytes long: when the floppy boots, DOS's "
                                 "command interpreter cuts every batch line after 127 bytes, "
                                 "so the value keeps only its first 113 characters: '" +
                                     QString(110, 'w') + "TAI'";
    QTest::newRow("code page") << Edits{{Field::UserName, QString::fromUtf8("José")}}
                               << QString::fromUtf8(
                                      "holds 'é' (code 233): when the floppy boots, DOS shows "
                                      "and sends it in its own code page, in 437 as 'Θ', so "
                                      "the network may receive another character");
    QTest::newRow("shell") << Edits{{Field::UserName, "x>y"}}
                           << "holds '>': when the floppy boots, the DOS shell cuts the value "
                              "there and writes into a new file named by the rest, on the "
                              "boot disk";
}

void TestBootCautions::wordsOfEachKind()
{
    QFETCH(Edits, edits);
    QFETCH(QString, text);
    const QList<BootCaution> cautions = bootCautions(fileWith(edits));
    QVERIFY(!cautions.isEmpty());
    QCOMPARE(cautionText(cautions.last()), text);
}

void TestBootCautions::soundFilesGiveNone()
{
    QVERIFY(bootCautions(writeSettings(defaultSettings()).value()).isEmpty());
    QVERIFY(bootCautions(fileWith({})).isEmpty());
    // DHCP leaves the static addresses unused, whatever they hold.
    QVERIFY(bootCautions(fileWith({{Field::DisableDhcp, "0"},
                                   {Field::IpAddress, "300.1.1"},
                                   {Field::SubnetMask, "255.0.255.0"},
                                   {Field::DefaultGateway, "x"},
                                   {Field::Dns, ""},
                                   {Field::Wins, "10.0.0.010"}}))
                .isEmpty());
}

QTEST_GUILESS_MAIN(TestBootCautions)
#include "tst_bootcautions.moc"
