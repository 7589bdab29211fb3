#include "ui/ExistingPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace useropts;

class TestExistingPath : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir m_dir;

  private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath("Boot/Floppy"));
        QFile file(m_dir.filePath("Boot/Floppy/UserOpts.bat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void spellsPathsAsTheyExist_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");

        const QString real = m_dir.filePath("Boot/Floppy/UserOpts.bat");
        QTest::newRow("exact") << real << real;
        QTest::newRow("upper case") << real.toUpper() << real;
        QTest::newRow("new file in an existing folder")
            << m_dir.filePath("Boot/Floppy/NEW.BAT").toUpper()
            << m_dir.filePath("Boot/Floppy/") + "NEW.BAT";
        QTest::newRow("missing folder keeps the rest as given")
            << m_dir.filePath("BOOT/Missing/USEROPTS.BAT").toUpper()
            << m_dir.filePath("Boot/") + "MISSING/USEROPTS.BAT";
        QTest::newRow("bare file name") << "USEROPTS.BAT"
                                        << "USEROPTS.BAT";
        QTest::newRow("empty") << ""
                               << "";
    }

    void spellsPathsAsTheyExist()
    {
        QFETCH(QString, given);
        QFETCH(QString, expected);
        QCOMPARE(matchExistingPathIgnoringCase(given), QDir::toNativeSeparators(expected));
    }
};

QTEST_GUILESS_MAIN(TestExistingPath)
#include "tst_existingpath.moc"
