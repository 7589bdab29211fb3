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
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace useropts;
using useropts::testing::spoilImage;
using useropts::testing::tool;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void store(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A settings file as the window writes it, with a computer name that stays.
EditorFields baseFields()
{
    EditorFields fields = defaultSettings();
    fields.txtComputer = "PC01";
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
        QTest::newRow("option of another command")
            << QStringList{"set", "--json", "a.bat", "CD=1"} << "--json is an option of show only";
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
        store(pathOf("a.bat"), file);
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
        fields.txtDomain = "q\"uote";
        fields.txtUsername = "a\\b";
        fields.txtLogon = QString("x\ny\tz\x01") + QChar(0x81) + QString::fromUtf8("é");
        store(pathOf("a.bat"), fileOf(fields));

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
        QCOMPARE(object["LOGONSCRIPT"].toString(), fields.txtLogon);
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
                << "useropts: line 13: the time-out on line 13 is a number too large to "
                   "represent\n";
            QTest::addRow("%s, cut short", qPrintable(command))
                << command << cut << 2 << "useropts: line 6: the file ends before line 6\n";
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
            store(pathOf("a.bat"), file);
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
            store(path, before);

        const Run r =
            run({"set", path, "username=Ada>Lovelace", "IPADDRESS0=10.0.0.5", "TIMEOUT= 07",
                 "REDIRECTOR=FULL", "NETCARD=NE2000 Novell", "PASSWORD=s3cret"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith("useropts: USERNAME holds '>': when the floppy boots,"),
                 r.err.constData());

        EditorFields expected = opened(before);
        expected.txtUsername = "Ada>Lovelace";
        expected.txtIP = "10.0.0.5";
        expected.txtTimeOut = " 07";
        expected.cboRedirector = 1;
        expected.cboNIC = "NE2000 Novell";
        expected.txtPassword = "s3cret";
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
        store(pathOf("a.bat"), file);
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
            store(path, fileOf(baseFields()));
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
        expected.txtComputer = "PC02";
        QCOMPARE(kind.contains("image") ? settingsInImage(path) : contents(path), fileOf(expected));
    }

    // A table as spreadsheets save it: quotes, a comma and a line end inside
    // them, a byte-order mark, CR LF, a blank line; a KZ template.
    void batchWritesOneFileForEachRow()
    {
        store(pathOf("t.bat"), fileOf(defaultSettings())); // KZ123456
        store(pathOf("t.csv"), "\xEF\xBB\xBFUSERNAME,Password,logonscript,WKSTN\r\n"
                               "alice,\"p,w\",\"run\nme\",\r\n"
                               "bob,\"say \"\"hi\"\"\",x,PC7\r\n"
                               "\r\n"
                               "\"c>rl\",z,y,\r\n"
                               "dave,d,d,\r\n");
        const Run r = run({"batch", "t.bat", "t.csv", "out"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, "4 written to out\n");
        QVERIFY2(r.err.startsWith("useropts: row 5: USERNAME holds '>':"), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);

        const QStringList folders =
            QDir(pathOf("out")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 4);
        QHash<QString, EditorFields> byUser;
        for (const QString& folder : folders) {
            const QByteArray file = contents(pathOf("out/" + folder + "/USEROPTS.BAT"));
            QVERIFY(file.contains("\r\nSet WKSTN=" + folder.toLatin1() + "\r\n"));
            const EditorFields f = opened(file);
            byUser.insert(f.txtUsername, f);
            QVERIFY(folder == "PC7" || QRegularExpression("^KZ\\d{1,7}$").match(folder).hasMatch());
        }
        QCOMPARE(byUser["alice"].txtPassword, "p,w");
        QCOMPARE(byUser["alice"].txtLogon, "run\nme");
        QCOMPARE(byUser["bob"].txtPassword, "say \"hi\"");
        QVERIFY(byUser.contains("c>rl"));
        QCOMPARE(byUser["dave"].txtDomain, "WORKGROUP"); // from the template
    }

    void batchBadRowsWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown column") << QByteArray("USERNAME,COLOUR\nx,red\n")
                                        << "row 1, column COLOUR: there is no setting named";
        QTest::newRow("bad choice")
            << QByteArray("USERNAME,Redirector,OUTPUT\nx,FULL,a\ny,Full,b\n")
            << "row 3, column Redirector: REDIRECTOR takes BASIC or FULL";
        QTest::newRow("empty choice") << QByteArray("USERNAME,CD,OUTPUT\nx,,a\n")
                                      << "row 2, column CD: CD takes 0 or 1, not ''";
        QTest::newRow("cannot hold") << QByteArray("OUTPUT,username\na,\xCE\xA9\n")
                                     << "row 2, column username: line 6 could not be written";
        QTest::newRow("same output") << QByteArray("OUTPUT\na\nb\n./a\n")
                                     << "row 4, column OUTPUT: row 2 writes out/a already";
        QTest::newRow("output exists") << QByteArray("OUTPUT\nb\nold.bat\n")
                                       << "row 3, column OUTPUT: out/old.bat exists already";
        QTest::newRow("output outside") << QByteArray("OUTPUT\nb\nx/../../c\n")
                                        << "row 3, column OUTPUT: the output 'x/../../c' would "
                                           "not be inside";
        QTest::newRow("unclosed quote") << QByteArray("OUTPUT,USERNAME\na,b\nc,\"d\n")
                                        << "row 3, column USERNAME: a quoted cell is not closed";
        QTest::newRow("not UTF-8") << QByteArray("OUTPUT,USERNAME\na,\xE9t\xE9\n")
                                   << "row 2, column USERNAME: the cell is not UTF-8";
    }

    void batchBadRowsWriteNothing()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, message);
        store(pathOf("t.bat"), fileOf(baseFields()));
        store(pathOf("t.csv"), table);
        QVERIFY(QDir().mkpath(pathOf("out")));
        store(pathOf("out/old.bat"), "old");
        const Run r = run({"batch", "t.bat", "t.csv", "out"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith("useropts: " + message.toUtf8()), r.err.constData());
        QCOMPARE(QDir(pathOf("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"old.bat"});
        QCOMPARE(contents(pathOf("out/old.bat")), "old");
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
        store(pathOf("t.csv"), "WKSTN,UDMA\nPC1,1\nPC2,0\n");

        for (const bool again : {false, true}) {
            const Run r = run(again ? QStringList{"batch", "--force", templ, "t.csv", "out"}
                                    : QStringList{"batch", templ, "t.csv", "out"});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, "2 written to out\n");
            for (const QString name : {"PC1", "PC2"}) {
                const QString image = pathOf("out/" + name + ".img");
                EditorFields expected = baseFields();
                expected.txtComputer = name;
                expected.cboUDMA = name == "PC1" ? 1 : 0;
                QCOMPARE(settingsInImage(image), fileOf(expected));
                QCOMPARE(tool("fsck.fat", {"-n", image}), 0);
                QByteArray listing;
                QCOMPARE(tool("mdir", {"-b", "-i", image, "::"}, {}, &listing), 0);
                QVERIFY(listing.contains("AUTOEXEC.BAT"));
            }
        }
        QCOMPARE(settingsInImage(templ), settings);
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
            decoy.txtComputer = "DECOY";
            QCOMPARE(tool("mcopy", {"-o", "-i", image, "-", "::USEROPTS.BAT"}, fileOf(decoy)), 0);
        }
        const QByteArray before = contents(image);

        const Run r = run(command == "show" ? QStringList{"show", name}
                                            : QStringList{"set", name, "USERNAME=jdoe"});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(QString::fromUtf8(r.err), message);
        QCOMPARE(r.out.contains("WKSTN=PC01\n"), command == "show" && exitCode == 0);
        QCOMPARE(contents(image), before);
        if (kind == "@@") {
            QVERIFY(QFile::rename(pathOf(name), pathOf("set.img")));
            EditorFields expected = opened(settings);
            expected.txtUsername = "jdoe";
            QCOMPARE(settingsInImage(pathOf("set.img")), fileOf(expected));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommand)
#include "tst_command.moc"
