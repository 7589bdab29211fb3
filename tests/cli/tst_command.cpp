// SPDX-License-Identifier: GPL-3.0-or-later
// The useropts command run as a script runs it, against files and floppy
// images the test makes with mkfs.fat and mtools. What it saves must be byte
// for byte what the window saves after the same Open and edits.
#include "floppy/ImageChecks.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "support/DiskTools.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <QScopeGuard>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace useropts;
using useropts::testing::contents;
using useropts::testing::spoilImage;
using useropts::testing::tool;
using useropts::testing::writeFile;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// A settings file as the window writes it, with a computer name that stays.
EditorFields baseFields()
{
    EditorFields fields = defaultSettings();
    fields.text(Field::ComputerName) = "PC01";
    return fields;
}

QByteArray fileOf(const EditorFields& fields)
{
    return writeSettings(fields).value();
}

EditorFields opened(const QByteArray& file)
{
    EditorFields fields;
    if (!readSettings(file, fields).ok())
        qFatal("the file does not read back");
    return fields;
}

} // namespace

class TestCommand : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString pathOf(const QString& name) const { return m_dir->filePath(name); }

    Run run(const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(USEROPTS_COMMAND, arguments);
        Run result;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // A 1.44 MB image, with settings in it unless they are empty.
    QString makeImage(const QString& name, const QByteArray& settings)
    {
        const QString path = pathOf(name);
        if (tool("mkfs.fat", {"-C", path, "1440"}) != 0)
            qFatal("mkfs.fat failed");
        if (!settings.isEmpty() && tool("mcopy", {"-i", path, "-", "::USEROPTS.BAT"}, settings))
            qFatal("mcopy failed");
        return path;
    }

    QByteArray settingsInImage(const QString& image)
    {
        QByteArray out;
        return tool("mcopy", {"-i", image, "::USEROPTS.BAT", "-"}, {}, &out) == 0 ? out
                                                                                  : QByteArray();
    }

  private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void misuse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "no command given";
        QTest::newRow("unknown command") << QStringList{"frob"} << "there is no command 'frob'";
        QTest::newRow("unknown option")
            << QStringList{"show", "--all", "a.bat"} << "there is no option --all";
        QTest::newRow("option of another command") << QStringList{"set", "--json", "a.bat", "CD=1"}
                                                   << "--json is an option of show and check only";
        QTest::newRow("unknown name")
            << QStringList{"set", "a.bat", "COLOUR=red"} << "there is no setting named 'COLOUR'";
        QTest::newRow("no equals sign")
            << QStringList{"set", "a.bat", "USERNAME"} << "'USERNAME' is not NAME=VALUE";
        QTest::newRow("nothing to set")
            << QStringList{"set", "a.bat"} << "set needs at least one NAME=VALUE";
        QTest::newRow("bad choice")
            << QStringList{"set", "a.bat", "cd=yes"} << "CD takes 0 or 1, not 'yes'";
        QTest::newRow("choice in another case") << QStringList{"new", "b.bat", "REDIRECTOR=full"}
                                                << "REDIRECTOR takes BASIC or FULL, not 'full'";
        QTest::newRow("missing argument")
            << QStringList{"batch", "a.bat", "t.csv"} << "batch takes TEMPLATE TABLE.csv OUTDIR";
    }

    // Nothing is read or written; the message names what is wrong and --help.
    void misuse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QByteArray file = fileOf(baseFields());
        writeFile(pathOf("a.bat"), file);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        const QStringList lines = QString::fromUtf8(r.err).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], "useropts: " + message);
        QVERIFY(lines[1].contains("--help"));
        QCOMPARE(contents(pathOf("a.bat")), file);
        QVERIFY(!QFile::exists(pathOf("b.bat")));
    }

    void versionAndHelp()
    {
        QCOMPARE(run({"--version"}).out, "useropts 0.1.2\n");
        const Run help = run({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("DEFAULTGATEWAY0 LOGONSCRIPT TIMEOUT"));
    }

    // One line for each setting, whatever the values hold, and the same as JSON.
    void showPrintsEachSettingOnOneLine()
    {
        EditorFields fields = baseFields();
        fields.text(Field::Workgroup) = "q\"uote";
        fields.text(Field::UserName) = "a\\b";
        // The file may hold a line feed, which no save writes.
        fields.text(Field::LogonScript) =
            QString("x y\tz\x01") + QChar(0x81) + QString::fromUtf8("é");
        QByteArray file = fileOf(fields);
        fields.text(Field::LogonScript)[1] = u'\n';
        file.replace("LOGONSCRIPT=x y", "LOGONSCRIPT=x\ny");
        writeFile(pathOf("a.bat"), file);

        const Run text = run({"show", "a.bat"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.err.isEmpty());
        const QList<QByteArray> lines = text.out.split('\n');
        QCOMPARE(lines.size(), 21); // and a final line end
        QCOMPARE(lines[1], "WORKGROUP=q\"uote");
        QCOMPARE(lines[2], "USERNAME=a\\\\b");
        QCOMPARE(lines[4], "DISABLEDHCP=0");
        QCOMPARE(lines[5], "IPADDRESS0=192.168.1.123");
        QCOMPARE(lines[8], QString::fromUtf8("LOGONSCRIPT=x\\ny\\tz\\x01\\x81é").toUtf8());
        QCOMPARE(lines[15], "REDIRECTOR=BASIC");

        const Run json = run({"show", "--json", "a.bat"});
        QCOMPARE(json.exitCode, 0);
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(json.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(object.size(), 20);
        QCOMPARE(object["LOGONSCRIPT"].toString(), fields.text(Field::LogonScript));
        QCOMPARE(object["PASSWORD"].toString(), "quill");
        QCOMPARE(object["CD"].toString(), "0");
        qsizetype last = -1;
        for (const QByteArray& line : lines.first(20)) {
            const qsizetype at = json.out.indexOf('"' + line.left(line.indexOf('=')) + "\":");
            QVERIFY(at > last);
            last = at;
        }
    }

    void readsThatStopEarlyWriteNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("settingsShown");
        QTest::addColumn<QString>("message");
        QByteArray hugeTimeOut = fileOf(baseFields());
        hugeTimeOut.replace("rem TIMEOUT=20", "rem TIMEOUT=1E999");
        QByteArray cut = fileOf(baseFields());
        cut.truncate(cut.indexOf("Set USERNAME"));
        for (const QString command : {"show", "set"}) {
            QTest::addRow("%s, time-out too large", qPrintable(command))
                << command << hugeTimeOut << 9
                << "useropts: a.bat: line 13: the time-out on line 13 is a number too large to "
                   "represent\n";
            QTest::addRow("%s, cut short", qPrintable(command))
                << command << cut << 2 << "useropts: a.bat: line 6: the file ends before line 6\n";
            QTest::addRow("%s, missing", qPrintable(command))
                << command << QByteArray() << 0
                << "useropts: cannot read a.bat: it does not exist\n";
        }
    }

    void readsThatStopEarlyWriteNothing()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, file);
        QFETCH(int, settingsShown);
        QFETCH(QString, message);
        if (!file.isEmpty())
            writeFile(pathOf("a.bat"), file);
        const Run r = run(command == "show" ? QStringList{"show", "a.bat"}
                                            : QStringList{"set", "a.bat", "CD=1"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err), message);
        if (command == "show")
            QCOMPARE(r.out.count('\n'), settingsShown);
        QCOMPARE(contents(pathOf("a.bat")), file);
    }

    void setSavesAsTheWindowDoes_data()
    {
        QTest::addColumn<bool>("image");
        QTest::newRow("file") << false;
        QTest::newRow("image") << true;
    }

    void setSavesAsTheWindowDoes()
    {
        QFETCH(bool, image);
        QByteArray before = fileOf(baseFields());
        before.replace("rem TIMEOUT=20", "rem TIMEOUT=020"); // Open shows 20
        const QString path = image ? makeImage("disk.img", before) : pathOf("USEROPTS.BAT");
        if (!image)
            writeFile(path, before);

        const Run r =
            run({"set", path, "username=Ada>Lovelace", "IPADDRESS0=10.0.0.5", "TIMEOUT= 07",
                 "REDIRECTOR=FULL", "NETCARD=NE2000 Novell", "PASSWORD=s3cret"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith("useropts: USERNAME: holds '>': when the floppy boots,"),
                 r.err.constData());

        EditorFields expected = opened(before);
        expected.text(Field::UserName) = "Ada>Lovelace";
        expected.text(Field::IpAddress) = "10.0.0.5";
        expected.text(Field::TimeOut) = " 07";
        expected.choice(Field::Redirector) = 1;
        expected.text(Field::NetCard) = "NE2000 Novell";
        expected.text(Field::Password) = "s3cret";
        QCOMPARE(image ? settingsInImage(path) : contents(path), fileOf(expected));
    }

    void valuesTheFileCannotHoldWriteNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("set, character")
            << QStringList{"set", "a.bat", "CD=1", "USERNAME=Ωmega"}
            << "useropts: USERNAME: line 6 could not be written: Username holds the character "
               "'Ω' (U+03A9), which has no code in the file's character set\n";
        QTest::newRow("set, carriage return")
            << QStringList{"set", "a.bat", "LOGONSCRIPT=a\rb"}
            << "useropts: LOGONSCRIPT: line 12 could not be written: Auto-Execute Command would "
               "hold a carriage return at character 2, which would end line 12 early\n";
        QTest::newRow("set, line feed")
            << QStringList{"set", "a.bat", "USERNAME=jo\nmkdir X"}
            << "useropts: USERNAME: line 6 could not be written: Username would hold a line feed "
               "at character 3: the DOS shell would end line 6 there and run the rest as a "
               "command at every boot\n";
        QTest::newRow("new, password")
            << QStringList{"new", "--force", "a.bat", QString("PASSWORD=ab") + QChar(0xFF)}
            << "useropts: PASSWORD: line 7 could not be written: the password character at "
               "position 3 (code 255) cannot be stored: its code plus its position exceeds "
               "255\n";
    }

    void valuesTheFileCannotHoldWriteNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QByteArray file = fileOf(baseFields());
        writeFile(pathOf("a.bat"), file);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err), message);
        QCOMPARE(contents(pathOf("a.bat")), file);
    }

    void newStartsFromTheDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind"); // what is there first
        QTest::addColumn<bool>("force");
        QTest::addColumn<QString>("refusal"); // empty: written
        QTest::newRow("nothing") << "a.bat"
                                 << "nothing" << false << QString();
        QTest::newRow("nothing, named like an image")
            << "a.img"
            << "nothing" << false
            << "a.img does not exist, and new makes no floppy images (mkfs.fat makes an empty "
               "one)";
        QTest::newRow("file") << "a.bat"
                              << "file" << false << "a.bat exists already (--force replaces it)";
        QTest::newRow("file, --force") << "a.bat"
                                       << "file" << true << QString();
        // Only the content makes an image.
        QTest::newRow("empty image") << "disk"
                                     << "empty image" << false << QString();
        QTest::newRow("image with settings")
            << "disk"
            << "image" << false << "disk holds a USEROPTS.BAT already (--force replaces it)";
        QTest::newRow("image with settings, --force") << "disk"
                                                      << "image" << true << QString();
    }

    void newStartsFromTheDefaults()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, force);
        QFETCH(QString, refusal);
        const QString path = pathOf(name);
        if (kind == "file")
            writeFile(path, fileOf(baseFields()));
        else if (kind != "nothing")
            makeImage(name, kind == "image" ? fileOf(baseFields()) : QByteArray());
        const QByteArray before = contents(path);

        QStringList arguments{"new", name, "WKSTN=PC02"};
        if (force)
            arguments << "--force";
        const Run r = run(arguments);
        if (!refusal.isEmpty()) {
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(QString::fromUtf8(r.err), "useropts: " + refusal + '\n');
            QCOMPARE(contents(path), before);
            QCOMPARE(QFile::exists(path), kind != "nothing");
            return;
        }
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty() && r.out.isEmpty());
        EditorFields expected = defaultSettings();
        expected.text(Field::ComputerName) = "PC02";
        QCOMPARE(kind.contains("image") ? settingsInImage(path) : contents(path), fileOf(expected));
    }

    // A table as spreadsheets save it: quotes and commas inside them, a
    // byte-order mark, CR LF, a blank line; a KZ template.
    void batchWritesOneFileForEachRow()
    {
        writeFile(pathOf("t.bat"), fileOf(defaultSettings())); // KZ123456
        writeFile(pathOf("t.csv"), "\xEF\xBB\xBFUSERNAME,Password,logonscript,WKSTN\r\n"
                                   "alice,\"p,w\",\"run, me\",\r\n"
                                   "bob,\"say \"\"hi\"\"\",x,PC7\r\n"
                                   "\r\n"
                                   "\"c>rl\",z,y,\r\n"
                                   "dave,d,d,\r\n");
        // The folders on the way are made too.
        const Run r = run({"batch", "t.bat", "t.csv", "new/out"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, "4 written to new/out\n");
        QVERIFY2(r.err.startsWith("useropts: row 5: USERNAME: holds '>':"), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);

        const QStringList folders =
            QDir(pathOf("new/out")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 4);
        QHash<QString, EditorFields> byUser;
        for (const QString& folder : folders) {
            const QByteArray file = contents(pathOf("new/out/" + folder + "/USEROPTS.BAT"));
            QVERIFY(file.contains("\r\nSet WKSTN=" + folder.toLatin1() + "\r\n"));
            const EditorFields f = opened(file);
            byUser.insert(f.text(Field::UserName), f);
            QVERIFY(folder == "PC7" || QRegularExpression("^KZ\\d{1,7}$").match(folder).hasMatch());
        }
        QCOMPARE(byUser["alice"].text(Field::Password), "p,w");
        QCOMPARE(byUser["alice"].text(Field::LogonScript), "run, me");
        QCOMPARE(byUser["bob"].text(Field::Password), "say \"hi\"");
        QVERIFY(byUser.contains("c>rl"));
        QCOMPARE(byUser["dave"].text(Field::Workgroup), "WORKGROUP"); // from the template
    }

    void batchBadRowsWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<bool>("force");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QByteArray& table, const QString& message,
                            bool force = false) {
            QTest::newRow(name) << table << force << message;
        };
        row("unknown column", "USERNAME,COLOUR\nx,red\n",
            "row 1, column COLOUR: there is no setting named");
        row("bad choice", "USERNAME,Redirector,OUTPUT\nx,FULL,a\ny,Full,b\n",
            "row 3, column Redirector: REDIRECTOR takes BASIC or FULL");
        row("empty choice", "USERNAME,CD,OUTPUT\nx,,a\n",
            "row 2, column CD: CD takes 0 or 1, not ''");
        row("cannot hold", "OUTPUT,username\na,\xCE\xA9\n",
            "row 2, column username: line 6 could not be written");
        // What a spreadsheet saves for a cell with a line break in it.
        row("line break in a cell", "OUTPUT,LOGONSCRIPT\na,\"run\nDEL *.*\"\n",
            "row 2, column LOGONSCRIPT: line 12 could not be written: Auto-Execute Command would "
            "hold a line feed at character 4");
        row("unclosed quote", "OUTPUT,USERNAME\na,b\nc,\"d\n",
            "row 3, column USERNAME: a quoted cell is not closed");
        row("not UTF-8", "OUTPUT,USERNAME\na,\xE9t\xE9\n",
            "row 2, column USERNAME: the cell is not UTF-8");
        // Every output is decided before anything is written.
        row("same output", "OUTPUT,#ROOM\na,\nb,\n./a,\n",
            "row 4, column OUTPUT: row 2 writes out/a already");
        row("same output but for letter case", "OUTPUT,WKSTN\nPC01,A\npc01,B\n",
            "row 3, column OUTPUT: row 2 writes out/PC01 already, and out/pc01 is the same file "
            "on FAT sticks and SMB shares");
        // Two machines on one network.
        row("same computer name", "WKSTN,#ROOM\nPC01,1\npc01,2\n",
            "row 3, column WKSTN: row 2 gives the computer name pc01 already (letter case "
            "aside); two machines cannot share a name on one network");
        row("same static address",
            "OUTPUT,WKSTN,DISABLEDHCP,IPADDRESS0\na,A,1,10.0.0.5\nb,B,0,10.0.0.5\nc,C,1,10.0.0.5\n",
            "row 4, column IPADDRESS0: row 2 gives the address 10.0.0.5 already; two machines "
            "cannot share an address on one network");
        row("an output where another needs a folder", "OUTPUT,#\nx,\nX/y,\n",
            "row 3, column OUTPUT: row 2 writes the file out/x, where this row needs a folder");
        row("a folder of a later output", "OUTPUT,#\nx/y,\nx,\n",
            "row 3, column OUTPUT: row 2 writes out/x/y, so out/x must be a folder");
        row("control character", "OUTPUT,#\n\"a\x1b[2Jb\",\n",
            "row 2, column OUTPUT: the output 'a\\x1b[2Jb' cannot be made: it holds the control "
            "character \\x1b");
        row("character FAT cannot hold", "OUTPUT,#\nPC:1,\n",
            "row 2, column OUTPUT: the output 'PC:1' cannot be made: it holds ':'");
        row("name too long", "OUTPUT,#\n" + QByteArray(300, 'n') + ",\n",
            "row 2, column OUTPUT: the output '" + QString(300, 'n') + "' cannot be made: '" +
                QString(40, 'n') + "...' is 300 bytes long, longer than the 255");
        // Both rows, though the folder is looked at once.
        row("a file where a folder must be", "OUTPUT,#\nold.bat/a,\nold.bat/b/c,\n",
            "row 2, column OUTPUT: out/old.bat/a cannot be made: out/old.bat is a file, not a "
            "folder\nuseropts: row 3, column OUTPUT: out/old.bat/b/c cannot be made: "
            "out/old.bat is a file, not a folder\n");
        row("output exists", "OUTPUT,#\nb,\nold.bat,\n",
            "row 3, column OUTPUT: out/old.bat exists already");
        row("output outside", "OUTPUT,#\nb,\nx/../../c,\n",
            "row 3, column OUTPUT: the output 'x/../../c' would not be inside");
        // Links are the user's to remove, never written through.
        row("output is a link", "OUTPUT,#\nlink.bat,\n",
            "row 2, column OUTPUT: out/link.bat is a symbolic link, and nothing is written "
            "through links",
            true);
        row("linked folder on the way", "OUTPUT,#\nlinked/USEROPTS.BAT,\n",
            "row 2, column OUTPUT: out/linked is a symbolic link", true);
        // Files are known by what they are, not by their names.
        row("template under another name", "OUTPUT,#\ntemplate.bat,\n",
            "row 2, column OUTPUT: out/template.bat is the template", true);
        row("one file under two rows' names", "OUTPUT,#\nold.bat,\nold-too.bat,\n",
            "row 3, column OUTPUT: row 2 writes the same file already, under another of its "
            "names",
            true);
    }

    void batchBadRowsWriteNothing()
    {
        QFETCH(QByteArray, table);
        QFETCH(bool, force);
        QFETCH(QString, message);
        writeFile(pathOf("t.bat"), fileOf(defaultSettings())); // each row its own KZ name
        writeFile(pathOf("t.csv"), table);
        QVERIFY(QDir().mkpath(pathOf("out")) && QDir().mkpath(pathOf("elsewhere")));
        writeFile(pathOf("out/old.bat"), "old");
        QVERIFY(::link(qPrintable(pathOf("out/old.bat")), qPrintable(pathOf("out/old-too.bat"))) ==
                0);
        QVERIFY(::link(qPrintable(pathOf("t.bat")), qPrintable(pathOf("out/template.bat"))) == 0);
        QVERIFY(QFile::link(pathOf("elsewhere/victim.bat"), pathOf("out/link.bat")));
        QVERIFY(QFile::link(pathOf("elsewhere"), pathOf("out/linked")));
        const QStringList before =
            QDir(pathOf("out")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);
        const Run r = run(force ? QStringList{"batch", "--force", "t.bat", "t.csv", "out"}
                                : QStringList{"batch", "t.bat", "t.csv", "out"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith("useropts: " + message.toUtf8()), r.err.constData());
        QVERIFY(r.err.endsWith("useropts: nothing was written\n"));
        QCOMPARE(QDir(pathOf("out")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden),
                 before);
        QCOMPARE(contents(pathOf("out/old.bat")), "old");
        QCOMPARE(contents(pathOf("t.bat")), fileOf(defaultSettings()));
        QVERIFY(QDir(pathOf("elsewhere")).isEmpty());
    }

    // Each image is the template with its own settings file, whole and clean.
    void batchWritesImages()
    {
        if (QStandardPaths::findExecutable("mcopy").isEmpty() ||
            QStandardPaths::findExecutable("mkfs.fat").isEmpty())
            QSKIP("mtools and dosfstools are needed to make test images.");
        const QByteArray settings = fileOf(baseFields());
        const QString templ = makeImage("t.img", settings);
        QCOMPARE(tool("mcopy", {"-i", templ, "-", "::AUTOEXEC.BAT"}, "@echo off\r\n"), 0);
        writeFile(pathOf("t.csv"), "WKSTN,UDMA\nPC1,1\nPC2,0\n");

        for (const bool again : {false, true}) {
            const Run r = run(again ? QStringList{"batch", "--force", templ, "t.csv", "out"}
                                    : QStringList{"batch", templ, "t.csv", "out"});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, "2 written to out\n");
            for (const QString name : {"PC1", "PC2"}) {
                const QString image = pathOf("out/" + name + ".img");
                EditorFields expected = baseFields();
                expected.text(Field::ComputerName) = name;
                expected.choice(Field::Udma) = name == "PC1" ? 1 : 0;
                QCOMPARE(settingsInImage(image), fileOf(expected));
                QCOMPARE(tool("fsck.fat", {"-n", image}), 0);
                QByteArray listing;
                QCOMPARE(tool("mdir", {"-b", "-i", image, "::"}, {}, &listing), 0);
                QVERIFY(listing.contains("AUTOEXEC.BAT"));
            }
        }
        QCOMPARE(settingsInImage(templ), settings);
    }

    // The outputs hold a password: no wider access than the template's, and a
    // report that cannot be given is a failure.
    void batchOutputsKeepTheTemplatesAccess()
    {
        writeFile(pathOf("t.bat"), fileOf(defaultSettings()));
        QVERIFY(QFile::setPermissions(pathOf("t.bat"), QFile::ReadOwner | QFile::WriteOwner));
        writeFile(pathOf("t.csv"), "OUTPUT;CD\na.bat;0\nb.bat;1\n");
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.setStandardOutputFile("/dev/full");
        process.start(USEROPTS_COMMAND, {"batch", "t.bat", "t.csv", "out"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardError(),
                 "useropts: 2 written to out, but standard output could not say so\n");
        for (const QString name : {"out/a.bat", "out/b.bat"})
            QCOMPARE(QFile::permissions(pathOf(name)) & 0x7077,
                     QFile::ReadOwner | QFile::WriteOwner);
    }

    // Stopped half way, a batch leaves no output under a row's name that is
    // not whole, and no copy of the template's settings anywhere.
    void batchStoppedBySignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl-C") << SIGINT;
        QTest::newRow("kill") << SIGTERM;
        QTest::newRow("closed terminal") << SIGHUP;
    }

    void batchStoppedBySignal()
    {
        QFETCH(int, signal);
        if (QStandardPaths::findExecutable("mcopy").isEmpty() ||
            QStandardPaths::findExecutable("mkfs.fat").isEmpty())
            QSKIP("mtools and dosfstools are needed to make test images.");
        const QString templ = makeImage("t.img", fileOf(baseFields()));
        writeFile(pathOf("t.csv"), "WKSTN\tUDMA\nPC1\t0\nPC2\t1\n");
        // An mcopy that stops when it would write into an image, until killed.
        QVERIFY(QDir().mkpath(pathOf("bin")) && QDir().mkpath(pathOf("tmp")));
        writeFile(pathOf("bin/mcopy"),
                  "#!/bin/sh\n"
                  "case \" $* \" in *\" -o \"*) echo $$ > \"$MARKER\"; exec sleep 60;; esac\n"
                  "exec " +
                      QStandardPaths::findExecutable("mcopy").toUtf8() + " \"$@\"\n");
        QVERIFY(QFile::setPermissions(pathOf("bin/mcopy"), QFile::ReadOwner | QFile::ExeOwner));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", pathOf("bin") + ':' + environment.value("PATH"));
        environment.insert("MARKER", pathOf("stopped"));
        environment.insert("TMPDIR", pathOf("tmp"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir->path());
        process.start(USEROPTS_COMMAND, {"batch", templ, "t.csv", "out"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pathOf("stopped")), 20000);
        const auto stopSleeper = qScopeGuard(
            [&] { ::kill(pid_t(contents(pathOf("stopped")).trimmed().toInt()), SIGKILL); });
        const QStringList writing = QDir(pathOf("out")).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(writing.size(), 1); // under a hidden name, not yet as PC1.img
        QVERIFY2(writing.first().startsWith(".PC1.img."), qPrintable(writing.first()));

        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(
            QDir(pathOf("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
        QCOMPARE(
            QDir(pathOf("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

    // A batch that would fill the disk half way is refused before it starts.
    void batchWithoutRoomWritesNothing()
    {
        if (geteuid() != 0)
            QSKIP("Mounting a small file system needs root.");
        const QString small = pathOf("small");
        QVERIFY(QDir().mkpath(small));
        if (mount("tmpfs", qPrintable(small), "tmpfs", 0, "size=64k") != 0)
            QSKIP("No tmpfs can be mounted here.");
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(small), MNT_DETACH); });
        writeFile(pathOf("t.bat"), fileOf(defaultSettings()));
        QByteArray table = "OUTPUT,#\n";
        for (int i = 0; i < 40; ++i)
            table += QByteArray::number(i) + ".bat,\n";
        writeFile(pathOf("t.csv"), table);
        const Run r = run({"batch", "t.bat", "t.csv", "small"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("useropts: the outputs need about 0.2 MB, but the file system "
                                  "that holds small has only 0.1 MB free\n"),
                 r.err.constData());
        QVERIFY(QDir(small).isEmpty());
    }

    // A name that is not UTF-8 cannot be found again, and a name with control
    // characters reaches the terminal only as escapes.
    void namesThatAreNotPlainText()
    {
        const QByteArray file = fileOf(baseFields());
        const QByteArray latin1Name = m_dir->path().toUtf8() + "/caf\xE9.bat";
        QFile raw;
        QVERIFY(raw.open(std::fopen(latin1Name.constData(), "wb"), QIODevice::WriteOnly,
                         QFileDevice::AutoCloseHandle));
        QCOMPARE(raw.write(file), file.size());
        raw.close();
        writeFile(pathOf(QString::fromUtf8("caf\uFFFD.bat")), file); // what the bytes would become
        // Without the check, set would change the U+FFFD file and new make one.
        for (const QString command : {"set %1 CD=1", "new %1 --force"}) {
            QProcess shell;
            shell.setWorkingDirectory(m_dir->path());
            shell.start("/bin/sh",
                        {"-c", "exec \"$0\" " + command.arg("\"$(printf 'caf\\351.bat')\""),
                         USEROPTS_COMMAND});
            QVERIFY(shell.waitForFinished(30000));
            QCOMPARE(shell.exitCode(), 2);
            QCOMPARE(shell.readAllStandardError(),
                     "useropts: argument 2 ('caf\\xe9.bat') is not UTF-8 text, so the file it "
                     "names could not be found again; rename the file\n");
        }
        QCOMPARE(contents(pathOf(QString::fromUtf8("caf\uFFFD.bat"))), file);
        QVERIFY(raw.open(std::fopen(latin1Name.constData(), "rb"), QIODevice::ReadOnly,
                         QFileDevice::AutoCloseHandle));
        QCOMPARE(raw.readAll(), file);

        const Run r = run({"show", "a\x1b[2J.bat"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, "useropts: cannot read a\\x1b[2J.bat: it does not exist\n");
    }

    // What will not work when the floppy boots, for a room of files.
    void checkTellsWhatWillNotWork()
    {
        EditorFields odd = baseFields();
        odd.text(Field::ComputerName) = "ROOM-12-PC-00042";
        odd.text(Field::TimeOut) = "ten";
        writeFile(pathOf("odd.bat"), fileOf(odd));
        writeFile(pathOf("sound.bat"), fileOf(baseFields()));
        QByteArray cut = fileOf(baseFields());
        writeFile(pathOf("cut.bat"), cut.left(cut.indexOf("Set USERNAME")));

        const Run sound = run({"check", "sound.bat"});
        QCOMPARE(sound.exitCode, 0);
        QVERIFY(sound.out.isEmpty() && sound.err.isEmpty());
        const Run two = run({"check", "sound.bat", "odd.bat"});
        QCOMPARE(two.exitCode, 1);
        QCOMPARE(two.out, "odd.bat: TIMEOUT: is 'ten', not a whole number of seconds written "
                          "plainly: when the floppy boots, the boot menu reads it as 0, so the "
                          "menu will not wait\n"
                          "odd.bat: WKSTN: is 16 characters long: when the floppy boots, the DOS "
                          "network client takes names of at most 15, so the floppy cannot log on "
                          "with it\n");
        const Run unread = run({"check", "cut.bat"});
        QCOMPARE(unread.exitCode, 1);
        QCOMPARE(unread.err, "useropts: cut.bat: line 6: the file ends before line 6\n");
        const Run json = run({"check", "--json", "odd.bat", "sound.bat"});
        QCOMPARE(json.exitCode, 1);
        const QJsonArray files = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].toObject()["path"].toString(), "odd.bat");
        QCOMPARE(files[0].toObject()["cautions"].toArray()[1].toObject()["name"].toString(),
                 "WKSTN");
        QCOMPARE(files[1].toObject()["cautions"].toArray().size(), 0);
        QCOMPARE(run({"check"}).exitCode, 2);
    }

    // With --strict a caution is a refusal: nothing is written anywhere.
    void strictRefusesEveryCaution_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("set") << QStringList{"set", "--strict", "a.bat", "USERNAME=x>y"}
                             << "useropts: USERNAME: holds '>'";
        QTest::newRow("new") << QStringList{"new", "--strict", "--force", "a.bat", "TIMEOUT=ten"}
                             << "useropts: TIMEOUT: is 'ten'";
        QTest::newRow("batch") << QStringList{"batch", "--strict", "a.bat", "t.csv", "out"}
                               << "useropts: row 3: WORKGROUP: holds a blank";
        QTest::newRow("apply") << QStringList{"apply", "--strict", "t.csv"}
                               << "useropts: row 3: WORKGROUP: holds a blank";
    }

    void strictRefusesEveryCaution()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QByteArray file = fileOf(baseFields());
        writeFile(pathOf("a.bat"), file);
        writeFile(pathOf("b.bat"), file);
        writeFile(pathOf("t.csv"), arguments.first() == "apply"
                                       ? "PATH,WORKGROUP\na.bat,LAB\nb.bat,MY LAB\n"
                                       : "OUTPUT,WKSTN,WORKGROUP\nx.bat,A,LAB\ny.bat,B,MY LAB\n");
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(message.toUtf8()), r.err.constData());
        QCOMPARE(contents(pathOf("a.bat")), file);
        QCOMPARE(contents(pathOf("b.bat")), file);
        QVERIFY(!QFile::exists(pathOf("out")));
    }

    // Tables as spreadsheets save them: the separator from the first row,
    // the Windows code page on request, note columns and empty ones left out.
    void tablesAsSpreadsheetsSaveThem_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("refusal"); // empty: read, giving USERNAME "Jos\u00e9"
        const auto row = [](const char* name, const QByteArray& table, const QString& refusal = {},
                            const QStringList& options = {}) {
            QTest::newRow(name) << table << options << refusal;
        };
        row("semicolons, byte-order mark",
            "\xEF\xBB\xBFOUTPUT;USERNAME\r\na.bat;\"Jos\xC3\xA9\"\r\n");
        row("tabs", "OUTPUT\tUSERNAME\na.bat\tJos\xC3\xA9\n");
        row("Windows code page", "OUTPUT;USERNAME\r\na.bat;Jos\xE9\r\n", {},
            {"--encoding", "windows-1252"});
        row("Windows code page unannounced", "OUTPUT;USERNAME\r\na.bat;Jos\xE9\r\n",
            "useropts: row 2, column USERNAME: the cell is not UTF-8 text (save the table as CSV "
            "in UTF-8, or give --encoding windows-1252)");
        row("notes, blanks and empty columns",
            "#ROOM, OUTPUT , username ,#NOTES,,\n4.12,a.bat,Jos\xC3\xA9,by the door,,\n");
        row("no separator", "OUTPUT\na.bat\n",
            "useropts: row 1: no comma, semicolon or tab stands between its names");
        row("two separators", "OUTPUT,USERNAME;CD\na.bat,x;0\n",
            "useropts: row 1: more than one of a comma, a semicolon and a tab stands between its "
            "names");
        row("data under no name", "OUTPUT,USERNAME,,CD\na.bat,x,,0\nb.bat,y,z,0\n",
            "useropts: row 1: column 3 (C) has no name, but row 3 holds data in it");
        row("unknown name", "OUTPUT,ROOM\na.bat,4\n",
            "useropts: row 1, column ROOM: there is no setting named 'ROOM', nor is it OUTPUT (a "
            "note column's name begins with #)");
    }

    void tablesAsSpreadsheetsSaveThem()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, options);
        QFETCH(QString, refusal);
        writeFile(pathOf("t.bat"), fileOf(defaultSettings()));
        writeFile(pathOf("t.csv"), table);
        const Run r = run(QStringList{"batch", "t.bat", "t.csv", "out"} + options);
        if (!refusal.isEmpty()) {
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.startsWith(refusal.toUtf8()), r.err.constData());
            QVERIFY(!QFile::exists(pathOf("out")));
            return;
        }
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(opened(contents(pathOf("out/a.bat"))).text(Field::UserName),
                 QString::fromUtf8("José"));
    }

    // show prints what the file holds, a name beginning with KZ included, and
    // with names only those values.
    void showNamedValues()
    {
        QByteArray file = fileOf(defaultSettings()); // KZ123456
        file.replace("rem TIMEOUT=20", "rem TIMEOUT=015");
        writeFile(pathOf("a.bat"), file);
        QVERIFY(run({"show", "a.bat"}).out.contains("\nWKSTN=KZ123456\n"));
        const Run named = run({"show", "a.bat", "wkstn", "TIMEOUT", "USERNAME"});
        QCOMPARE(named.exitCode, 0);
        QCOMPARE(named.out, "KZ123456\n15\nKestrune\n");
        const QJsonObject json =
            QJsonDocument::fromJson(run({"show", "--json", "a.bat", "CD", "WKSTN"}).out).object();
        QCOMPARE(json.keys(), (QStringList{"CD", "WKSTN"}));
        QCOMPARE(json["WKSTN"].toString(), "KZ123456");
        QCOMPARE(run({"show", "a.bat", "COLOUR"}).exitCode, 2);
    }

    // set rewrites the lines it names and keeps every other byte.
    void setChangesOnlyWhatItNames()
    {
        QByteArray before = fileOf(defaultSettings());
        before.replace("@echo off", "@ECHO OFF & rem ours");
        before.replace("rem TIMEOUT=20", "rem TIMEOUT=015");
        before.replace("\r\n", "\r");
        before += "rem a 24th line\rcall more.bat";
        writeFile(pathOf("a.bat"), before);
        const Run r = run({"set", "a.bat", "USERNAME=jdoe", "DNS=10.0.0.2"});
        QCOMPARE(r.exitCode, 0);
        QByteArray expected = before;
        expected.replace("Set USERNAME=Kestrune\r", "Set USERNAME=jdoe\r");
        expected.replace("Set DNS=192 168 1 1\r", "Set DNS=10 0 0 2\r");
        QCOMPARE(contents(pathOf("a.bat")), expected);
    }

    // export and apply: a table of a room's files and images, applied back,
    // changes nothing; one cell changed changes that line of that file alone.
    void exportAndApply_data()
    {
        QTest::addColumn<bool>("images");
        QTest::newRow("files") << false;
        QTest::newRow("images") << true;
    }

    void exportAndApply()
    {
        QFETCH(bool, images);
        if (images && QStandardPaths::findExecutable("mkfs.fat").isEmpty())
            QSKIP("mtools and dosfstools are needed to make test images.");
        QStringList names;
        QHash<QString, QByteArray> before;
        for (const QString computer : {"PC1", "PC2", "PC3"}) {
            EditorFields fields = baseFields();
            fields.text(Field::ComputerName) = computer;
            fields.text(Field::LogonScript) = "CALL \"X, Y\".BAT";
            const QString name = computer + (images ? ".img" : ".bat");
            if (images)
                makeImage(name, fileOf(fields));
            else
                writeFile(pathOf(name), fileOf(fields));
            names << name;
            before.insert(name, contents(pathOf(name)));
        }
        const Run exported = run(QStringList{"export"} + names);
        QCOMPARE(exported.exitCode, 0);
        QVERIFY(exported.out.startsWith("PATH,NETCARD,WORKGROUP,USERNAME,PASSWORD,"));
        QVERIFY(exported.out.contains("\r\nPC2" + QByteArray(images ? ".img" : ".bat") +
                                      ",EL3C574,WORKGROUP,Kestrune,quill,0,"));
        QVERIFY(exported.out.contains(",\"CALL \"\"X, Y\"\".BAT\","));
        QVERIFY(QDir().mkpath(pathOf("tables")));
        writeFile(pathOf("tables/room.csv"), exported.out);

        // Paths are the table folder's: the files lie one up.
        QByteArray table = exported.out;
        table.replace("\r\nPC", "\r\n../PC");
        writeFile(pathOf("tables/room.csv"), table);
        const Run same = run({"apply", "tables/room.csv"});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, "0 changed, 3 as they were\n");
        for (const QString& name : names)
            QCOMPARE(contents(pathOf(name)), before[name]);

        table.replace(",Kestrune,quill,0,192.168.1.123,", ",Kestrune,quill,1,10.0.0.9,");
        table.replace("../PC2" + QByteArray(images ? ".img" : ".bat") +
                          ",EL3C574,WORKGROUP,Kestrune",
                      "../PC2" + QByteArray(images ? ".img" : ".bat") + ",EL3C574,WORKGROUP,jdoe");
        table.replace(",1,10.0.0.9,", ",0,192.168.1.123,");
        writeFile(pathOf("tables/room.csv"), table);
        const Run dry = run({"apply", "--dry-run", "tables/room.csv"});
        QCOMPARE(dry.exitCode, 0);
        QCOMPARE(dry.out,
                 QString("../PC1%1: nothing changes\n../PC2%1: USERNAME\n../PC3%1: nothing "
                         "changes\n")
                     .arg(images ? ".img" : ".bat")
                     .toUtf8());
        for (const QString& name : names)
            QCOMPARE(contents(pathOf(name)), before[name]);

        const Run applied = run({"apply", "tables/room.csv"});
        QCOMPARE(applied.exitCode, 0);
        QCOMPARE(applied.out, "1 changed, 2 as they were\n");
        for (const QString& name : names) {
            const QByteArray settings =
                images ? settingsInImage(pathOf(name)) : contents(pathOf(name));
            if (name.startsWith("PC2"))
                QVERIFY(settings.contains("\r\nSet USERNAME=jdoe\r\n"));
            else
                QCOMPARE(contents(pathOf(name)), before[name]);
        }
    }

    // A bad row anywhere writes nothing anywhere.
    void applyWithABadRowWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad value") << QByteArray("PATH,USERNAME,CD\na.bat,x,1\nb.bat,y,yes\n")
                                   << "useropts: row 3, column CD: CD takes 0 or 1, not 'yes'";
        QTest::newRow("missing file") << QByteArray("PATH,USERNAME\na.bat,x\nc.bat,y\n")
                                      << "useropts: row 3, column PATH: cannot read c.bat: it "
                                         "does not exist";
        QTest::newRow("same file twice") << QByteArray("PATH,USERNAME\na.bat,x\n./a.bat,y\n")
                                         << "useropts: row 3, column PATH: row 2 names the same "
                                            "file already";
        QTest::newRow("no PATH column")
            << QByteArray("USERNAME,CD\nx,1\n") << "useropts: row 1: no column is named PATH";
    }

    void applyWithABadRowWritesNothing()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, message);
        const QByteArray file = fileOf(baseFields());
        writeFile(pathOf("a.bat"), file);
        writeFile(pathOf("b.bat"), file);
        writeFile(pathOf("t.csv"), table);
        const Run r = run({"apply", "t.csv"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(message.toUtf8()), r.err.constData());
        QVERIFY(r.err.endsWith("useropts: nothing was written\n"));
        QCOMPARE(contents(pathOf("a.bat")), file);
        QCOMPARE(contents(pathOf("b.bat")), file);
    }

    // --dry-run says what each output would be and writes none.
    void batchDryRunWritesNothing()
    {
        writeFile(pathOf("t.bat"), fileOf(baseFields()));
        writeFile(pathOf("t.csv"), "OUTPUT,WKSTN,USERNAME\na.bat,PC1,jdoe\nb.bat,PC2,Kestrune\n");
        const Run r = run({"batch", "--dry-run", "t.bat", "t.csv", "out"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, "out/a.bat: USERNAME, WKSTN\nout/b.bat: WKSTN\n");
        QVERIFY(!QFile::exists(pathOf("out")));
    }

    // The entry DOS opens or none; a damaged file system read but never
    // written; a name mtools would take for another file's.
    void imagesAreUsedAsDosUsesThem_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on standard error
        QTest::newRow("show, two entries answer")
            << "show"
            << "long name" << 1
            << "useropts: cannot read disk.img: its root folder has two entries that answer to "
               "USEROPTS.BAT\n";
        QTest::newRow("show, a folder")
            << "show"
            << "folder" << 1 << "useropts: cannot read disk.img: USEROPTS.BAT is a folder\n";
        QTest::newRow("show, damaged") << "show"
                                       << "tables differ" << 0 << "";
        QTest::newRow("set, damaged")
            << "set"
            << "tables differ" << 1
            << "useropts: cannot write disk.img (USEROPTS.BAT): its file system is damaged: "
               "fsck.fat -n finds \"FATs differ but appear to be intact\"; repair it with "
               "fsck.fat -r, then try again\n";
        QTest::newRow("set, @@ in its name") << "set"
                                             << "@@" << 0 << "";
        QTest::newRow("batch, damaged template")
            << "batch"
            << "tables differ" << 1
            << "useropts: disk.img cannot be the template: its file system is damaged: fsck.fat "
               "-n finds \"FATs differ but appear to be intact\"; repair it with fsck.fat -r, "
               "then try again\nuseropts: nothing was written\n";
    }

    void imagesAreUsedAsDosUsesThem()
    {
        if (QStandardPaths::findExecutable("mcopy").isEmpty() ||
            QStandardPaths::findExecutable("fsck.fat").isEmpty())
            QSKIP("mtools and dosfstools are needed to make test images.");
        QFETCH(QString, command);
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QByteArray settings = fileOf(baseFields());
        const QString image = makeImage("disk.img", settings);
        QString name = "disk.img";
        if (kind != "@@") {
            QVERIFY(spoilImage(image, kind));
        } else {
            name = "disk.img@@0"; // mtools would open disk.img, which holds other settings
            QVERIFY(QFile::copy(image, pathOf(name)));
            EditorFields decoy = baseFields();
            decoy.text(Field::ComputerName) = "DECOY";
            QCOMPARE(tool("mcopy", {"-o", "-i", image, "-", "::USEROPTS.BAT"}, fileOf(decoy)), 0);
        }
        const QByteArray before = contents(image);

        writeFile(pathOf("t.csv"), "WKSTN,CD\nPC1,0\n");
        const Run r = run(command == "show"    ? QStringList{"show", name}
                          : command == "batch" ? QStringList{"batch", name, "t.csv", "out"}
                                               : QStringList{"set", name, "USERNAME=jdoe"});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(QString::fromUtf8(r.err), message);
        QCOMPARE(r.out.contains("WKSTN=PC01\n"), command == "show" && exitCode == 0);
        QCOMPARE(contents(image), before);
        if (kind == "@@") {
            QVERIFY(QFile::rename(pathOf(name), pathOf("set.img")));
            EditorFields expected = opened(settings);
            expected.text(Field::UserName) = "jdoe";
            QCOMPARE(settingsInImage(pathOf("set.img")), fileOf(expected));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommand)
#include "tst_command.moc"
