// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/Charset.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "support/SettingsFiles.h"

#include <QRandomGenerator>
#include <QTest>

using namespace useropts;
using namespace useropts::testing;

namespace {

// Fields that differ from anything a file gives, to see what a read left alone.
EditorFields sentinelFields()
{
    EditorFields f;
    for (const Field field : allFields()) {
        if (isChoice(field))
            f.choice(field) = -1;
        else
            f.text(field) = QStringLiteral("untouched ") +
                            QString::fromLatin1(settingName(field).data(),
                                                qsizetype(settingName(field).size()));
    }
    return f;
}

double pinned(double r)
{
    return r;
}

ReadOptions pinnedRandom(double r = 0.5)
{
    ReadOptions options;
    options.random = [r] { return pinned(r); };
    return options;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

  private slots:
    void defaultsWriteTheExpectedFile();
    void randomFieldsRoundTrip();
    void everyCodeSurvivesInATextField();
    void everyCodeSurvivesInThePassword();

    void valuesAfterThePrefix_data();
    void valuesAfterThePrefix();
    void choicesFromFileValues_data();
    void choicesFromFileValues();
    void computerNameRule_data();
    void computerNameRule();
    void generatedNamesAreFreshEachRead();

    void failuresStopAtTheirLine_data();
    void failuresStopAtTheirLine();
    void fieldsAreAppliedInLineOrder();
    void lineEndsWhenReading_data();
    void lineEndsWhenReading();

    void cardCode_data();
    void cardCode();
    void writeFailures_data();
    void writeFailures();
};

void TestSettingsFile::defaultsWriteTheExpectedFile()
{
    const Result<QByteArray> out = writeSettings(defaultSettings());
    QVERIFY(out.ok());
    QCOMPARE(out.value(), joinLines(kDefaultFileLines));
    QVERIFY(out.value().endsWith("\r\n"));
    QCOMPARE(out.value().count("\r\n"), 23);
    QVERIFY(out.value().contains("192 168 1 254 \r\n"));
}

void TestSettingsFile::randomFieldsRoundTrip()
{
    // Anything the window can hold that the file can carry comes back as it
    // was, but for the documented changes, which these fields avoid.
    QRandomGenerator rng(20261207);
    auto randomText = [&](int maxLength, bool noBlank) {
        QString s;
        const int n = rng.bounded(maxLength + 1);
        for (int i = 0; i < n; ++i) {
            unsigned char code = 0;
            do {
                code = static_cast<unsigned char>(rng.bounded(256));
            } while (code == '\r' || code == '\n' || (noBlank && code == ' '));
            s += Charset::toUnicode(code);
        }
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        EditorFields f;
        for (const Field field : allFields()) {
            if (isChoice(field))
                f.choice(field) = rng.bounded(2);
            else
                f.text(field) = randomText(30, false);
        }
        f.text(Field::NetCard) = randomText(12, true);
        f.text(Field::IpAddress).replace(u' ', u'.');
        f.text(Field::SubnetMask).replace(u' ', u'.');
        f.text(Field::DefaultGateway).replace(u' ', u'.');
        f.text(Field::Dns).replace(u' ', u'.');
        f.text(Field::Wins).replace(u' ', u'.');
        f.text(Field::TimeOut) = QString::number(rng.bounded(100000));
        if (f.text(Field::ComputerName).startsWith(QStringLiteral("KZ")))
            f.text(Field::ComputerName).prepend(u'x');
        // Passwords short enough that no shift overflows or makes a line end.
        f.text(Field::Password) = QStringLiteral("pw") + QString::number(round);

        const Result<QByteArray> out = writeSettings(f);
        QVERIFY2(out.ok(), qPrintable(out.ok() ? QString() : out.failure().reason));
        EditorFields back;
        QVERIFY(readSettings(out.value(), back).ok());
        QCOMPARE(back, f);
        QCOMPARE(writeSettings(back).value(), out.value()); // byte for byte
    }
}

void TestSettingsFile::everyCodeSurvivesInATextField()
{
    EditorFields f = defaultSettings();
    QString all;
    for (int code = 0; code <= 255; ++code) {
        if (code != '\r' && code != '\n') // a line end cannot be part of a value
            all += Charset::toUnicode(static_cast<unsigned char>(code));
    }
    f.text(Field::LogonScript) = all;
    f.text(Field::UserName) = all;
    const Result<QByteArray> out = writeSettings(f);
    QVERIFY(out.ok());
    EditorFields back;
    QVERIFY(readSettings(out.value(), back).ok());
    QCOMPARE(back.text(Field::LogonScript), all);
    QCOMPARE(back.text(Field::UserName), all);
}

void TestSettingsFile::everyCodeSurvivesInThePassword()
{
    // Each code at the first position, and each code at a later position,
    // whenever its shifted form is something the line can carry.
    for (int position : {1, 2, 7, 40}) {
        for (int code = 0; code <= 255; ++code) {
            if (code + position > 255 || code + position == '\r' || code + position == '\n')
                continue;
            EditorFields f = defaultSettings();
            f.text(Field::Password) =
                QString(position - 1, u'a') + Charset::toUnicode(static_cast<unsigned char>(code));
            const Result<QByteArray> out = writeSettings(f);
            QVERIFY2(out.ok(), qPrintable(QStringLiteral("code %1 at %2").arg(code).arg(position)));
            EditorFields back;
            QVERIFY(readSettings(out.value(), back).ok());
            QCOMPARE(back.text(Field::Password), f.text(Field::Password));
        }
    }
}

void TestSettingsFile::valuesAfterThePrefix_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    auto row = [](const char* name, int line, const char* text, Field field, const QString& value) {
        QTest::newRow(name) << line << QByteArray(text) << int(field) << value;
    };
    row("equals and blanks inside a value", 6, "Set USERNAME=a=b c", Field::UserName, "a=b c");
    row("blank before equals shifts the value", 15, "Set WKSTN =PC1", Field::ComputerName, "=PC1");
    row("line as long as its prefix", 5, "Set WORKGROUP=", Field::Workgroup, "");
    row("gateway drops its last character", 11, "Set DEFAULTGATEWAY0=10 0 0 1 ",
        Field::DefaultGateway, "10.0.0.1");
    row("gateway without its blank loses a digit", 11, "Set DEFAULTGATEWAY0=10 0 0 1",
        Field::DefaultGateway, "10.0.0.");
    row("gateway of exactly 21 characters", 11, "Set DEFAULTGATEWAY0= ", Field::DefaultGateway, "");
    row("address blanks become dots", 9, "Set IPADDRESS0= 10  1 ", Field::IpAddress, ".10..1.");
    row("password unscrambled", 7, "::: PASSWORD=bcd", Field::Password, "aaa");
    row("time-out read as a number", 13, "rem TIMEOUT=030", Field::TimeOut, "30");
    row("high codes are single characters", 12, "Set LOGONSCRIPT=\x80\x81\xff", Field::LogonScript,
        QStringLiteral("\u20AC\u0081\u00FF"));
}

void TestSettingsFile::valuesAfterThePrefix()
{
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(int, field);
    QFETCH(QString, value);
    QList<QByteArray> lines = kDefaultFileLines;
    lines[line - 1] = text;
    EditorFields f;
    QVERIFY(readSettings(joinLines(lines), f, pinnedRandom()).ok());
    QCOMPARE(f.text(Field(field)), value);
}

void TestSettingsFile::choicesFromFileValues_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("index");
    QTest::newRow("dhcp 1 is static") << 8 << QByteArray("1") << 1;
    QTest::newRow("empty") << 16 << QByteArray("") << 0;
    QTest::newRow("blank before 1") << 17 << QByteArray(" 1") << 0;
    QTest::newRow("1 and a blank") << 18 << QByteArray("1 ") << 0;
    QTest::newRow("01") << 20 << QByteArray("01") << 0;
    QTest::newRow("Yes") << 21 << QByteArray("Yes") << 0;
    QTest::newRow("FULL") << 19 << QByteArray("FULL") << 1;
    QTest::newRow("full in small letters") << 19 << QByteArray("full") << 0;
    QTest::newRow("redirector 1") << 19 << QByteArray("1") << 0;
}

void TestSettingsFile::choicesFromFileValues()
{
    QFETCH(int, line);
    QFETCH(QByteArray, value);
    QFETCH(int, index);
    const SettingRow& format = kSettings[line - kFirstDataLine];
    QList<QByteArray> lines = kDefaultFileLines;
    lines[line - 1] = QByteArray(format.prefix.data(), format.prefixLength()) + value;
    EditorFields f = sentinelFields();
    QVERIFY(readSettings(joinLines(lines), f).ok());
    QCOMPARE(f.choice(format.field), index);
}

void TestSettingsFile::computerNameRule_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<double>("random");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lowest draw") << QByteArray("KZ123456") << 0.0 << "KZ1";
    QTest::newRow("highest draw") << QByteArray("KZ123456") << 0.99999999999999989 << "KZ9999999";
    QTest::newRow("middle draw") << QByteArray("KZ") << 0.5 << "KZ5000000";
    QTest::newRow("small letters stay") << QByteArray("kz123456") << 0.5 << "kz123456";
    QTest::newRow("KZ further on stays") << QByteArray("PC-KZ") << 0.5 << "PC-KZ";
    QTest::newRow("empty stays") << QByteArray("") << 0.5 << "";
}

void TestSettingsFile::computerNameRule()
{
    QFETCH(QByteArray, name);
    QFETCH(double, random);
    QFETCH(QString, shown);
    QList<QByteArray> lines = kDefaultFileLines;
    lines[14] = "Set WKSTN=" + name;
    EditorFields f;
    QVERIFY(readSettings(joinLines(lines), f, pinnedRandom(random)).ok());
    QCOMPARE(f.text(Field::ComputerName), shown);
}

void TestSettingsFile::generatedNamesAreFreshEachRead()
{
    const QByteArray file = joinLines(kDefaultFileLines);
    QSet<QString> names;
    for (int i = 0; i < 5; ++i) {
        EditorFields f;
        QVERIFY(readSettings(file, f).ok());
        QVERIFY(f.text(Field::ComputerName).startsWith(QStringLiteral("KZ")));
        bool isNumber = false;
        const int n = f.text(Field::ComputerName).mid(2).toInt(&isNumber);
        QVERIFY(isNumber && n >= 1 && n <= 9999999);
        QVERIFY(!f.text(Field::ComputerName).mid(2).startsWith(u'0'));
        names.insert(f.text(Field::ComputerName));
    }
    QVERIFY(names.size() > 1);
}

void TestSettingsFile::failuresStopAtTheirLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    const QByteArray good = joinLines(kDefaultFileLines);
    auto replaced = [](int line, const QByteArray& text) {
        QList<QByteArray> lines = kDefaultFileLines;
        lines[line - 1] = text;
        return joinLines(lines);
    };
    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("22 lines") << joinLines(kDefaultFileLines.mid(0, 22)) << 23;
    QTest::newRow("empty line 10") << replaced(10, "") << 10;
    QTest::newRow("line 5 shorter than its prefix") << replaced(5, "Set WORKGROUP") << 5;
    QTest::newRow("line 11 of 20 characters") << replaced(11, "Set DEFAULTGATEWAY0=") << 11;
    QTest::newRow("stored password starting with code 0")
        << replaced(7, QByteArray("::: PASSWORD=") + '\0' + "bc") << 7;
    QTest::newRow("time-out too large") << replaced(13, "rem TIMEOUT=1E400") << 13;
    QTest::newRow("lone line feeds make one line") << joinLines(kDefaultFileLines, "\n") << 2;
}

void TestSettingsFile::failuresStopAtTheirLine()
{
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    const EditorFields before = sentinelFields();
    EditorFields f = before;
    const Result<> outcome = readSettings(file, f, pinnedRandom());
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.failure().line, line);
    QVERIFY(!outcome.failure().reason.isEmpty());

    // Lines before the failure are set, the failing line and later ones not.
    EditorFields fromGoodFile = before;
    QVERIFY(readSettings(joinLines(kDefaultFileLines), fromGoodFile, pinnedRandom()).ok());
    for (const SettingRow& format : kSettings) {
        const EditorFields& expected = format.line < line ? fromGoodFile : before;
        if (isChoice(format.field))
            QCOMPARE(f.choice(format.field), expected.choice(format.field));
        else
            QCOMPARE(f.text(format.field), expected.text(format.field));
    }
}

void TestSettingsFile::fieldsAreAppliedInLineOrder()
{
    // The window shows each field as its line is read, so the DHCP choice
    // of line 8 is in place before the addresses that follow it.
    QList<QByteArray> lines = kDefaultFileLines;
    lines[7] = "Set DISABLEDHCP=1";
    lines[12] = "rem TIMEOUT=1E999";
    EditorFields f;
    QList<Field> order;
    int dhcpWhenIpApplied = -2;
    ReadOptions options;
    options.fieldApplied = [&](Field field) {
        order.append(field);
        if (field == Field::IpAddress)
            dhcpWhenIpApplied = f.choice(Field::DisableDhcp);
    };
    QVERIFY(!readSettings(joinLines(lines), f, options).ok());
    QCOMPARE(order.size(), 9); // lines 4 to 12; line 13 failed
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order[i], allFields()[i]);
    QCOMPARE(dhcpWhenIpApplied, 1);
}

void TestSettingsFile::lineEndsWhenReading_data()
{
    QTest::addColumn<QByteArray>("file");
    // The file the defaults give reads back as the defaults, but for the
    // computer name, which a KZ name always brings back fresh.
    QTest::newRow("CR LF") << joinLines(kDefaultFileLines);
    QTest::newRow("CR alone") << joinLines(kDefaultFileLines, "\r");
    QTest::newRow("last line without end") << joinLines(kDefaultFileLines).chopped(2);
    QTest::newRow("more than 23 lines") << joinLines(kDefaultFileLines) + "extra\r\nmore";
    QList<QByteArray> header = kDefaultFileLines;
    header[0] = "anything";
    header[1] = "";
    header[2] = "\x01\x02";
    QTest::newRow("arbitrary header lines") << joinLines(header);
}

void TestSettingsFile::lineEndsWhenReading()
{
    QFETCH(QByteArray, file);
    EditorFields f;
    QVERIFY(readSettings(file, f, pinnedRandom(0)).ok());
    EditorFields expected = defaultSettings();
    expected.text(Field::ComputerName) = QStringLiteral("KZ1");
    QCOMPARE(f, expected);
}

void TestSettingsFile::cardCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::newRow("list entry") << "EL3C574 - EtherLink III"
                                << "EL3C574";
    QTest::newRow("no blank") << "NE2000"
                              << "NE2000";
    QTest::newRow("starts with a blank") << " - Nameless card"
                                         << " - Nameless card";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSettingsFile::cardCode()
{
    QFETCH(QString, text);
    QFETCH(QString, code);
    QCOMPARE(useropts::cardCode(text), code);
    EditorFields f = defaultSettings();
    f.text(Field::NetCard) = text;
    const Result<QByteArray> out = writeSettings(f);
    QVERIFY(out.ok());
    QVERIFY(out.value().contains("\r\nrem NETCARD=" + code.toLatin1() + "\r\n"));
}

void TestSettingsFile::writeFailures_data()
{
    QTest::addColumn<EditorFields>("fields");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("mentions");
    EditorFields f = defaultSettings();
    f.text(Field::Password) = QStringLiteral("\u00FFabc");
    QTest::newRow("password code 255 first") << f << 7 << "position 1";
    f = defaultSettings();
    f.text(Field::Password) = QStringLiteral("\x0C");
    QTest::newRow("password that scrambles into a line end") << f << 7 << "carriage return";
    f = defaultSettings();
    f.choice(Field::Udma) = -1;
    QTest::newRow("no UDMA entry selected") << f << 22 << "Enable UDMA Support";
    f = defaultSettings();
    f.text(Field::UserName) = QStringLiteral("\u4E2D");
    QTest::newRow("username without a code") << f << 6 << "Username";
    f = defaultSettings();
    f.text(Field::Wins) = QStringLiteral("10.0.0.\u4E2D");
    QTest::newRow("last line without a code") << f << 23 << "WINS Server";
    f = defaultSettings();
    f.text(Field::LogonScript) = QStringLiteral("a\rb");
    QTest::newRow("carriage return in a text") << f << 12 << "carriage return";
    // The DOS shell would run what follows a line feed as a command.
    f = defaultSettings();
    f.text(Field::UserName) = QStringLiteral("jo\nmkdir X");
    QTest::newRow("line feed in a text") << f << 6 << "line feed at character 3";
    f = defaultSettings();
    f.text(Field::Password) = QStringLiteral("\tx");
    QTest::newRow("password that scrambles into a line feed") << f << 7 << "line feed";
    // What the reader refuses is never written.
    f = defaultSettings();
    f.text(Field::TimeOut) = QStringLiteral("1e400");
    QTest::newRow("time-out too large to read back") << f << 13 << "too large";
    f = defaultSettings();
    f.text(Field::LogonScript) = QString(kMaxSettingsBytes, u'x');
    QTest::newRow("longer than is read back") << f << 12 << "larger than the 16 MB";
    f = defaultSettings();
    f.text(Field::Password) = QStringLiteral("\u4E2D");
    QTest::newRow("password without a code") << f << 7 << "U+4E2D";
}

void TestSettingsFile::writeFailures()
{
    QFETCH(EditorFields, fields);
    QFETCH(int, line);
    QFETCH(QString, mentions);
    const Result<QByteArray> out = writeSettings(fields);
    QVERIFY(!out.ok());
    QCOMPARE(out.failure().line, line);
    QVERIFY2(out.failure().reason.contains(mentions), qPrintable(out.failure().reason));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
