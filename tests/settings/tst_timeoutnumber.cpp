// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsReader.h"
#include "settings/TimeoutNumber.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace useropts;

class TestTimeoutNumber : public QObject
{
    Q_OBJECT

  private slots:
    void shownForm_data();
    void shownForm();
    void tooLargeIsAFailure_data();
    void tooLargeIsAFailure();
    void plainFormReadsBackAsTheSameNumber();
};

void TestTimeoutNumber::shownForm_data()
{
    QTest::addColumn<QString>("fileValue");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "20"
                           << "20";
    QTest::newRow("leading zero") << "020"
                                  << "20";
    QTest::newRow("030") << "030"
                         << "30";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("trailing words") << "15 sec"
                                    << "15";
    QTest::newRow("trailing zeros dropped") << "2.50"
                                            << "2.5";
    QTest::newRow("whole number with point") << "7.0"
                                             << "7";
    QTest::newRow("letters") << "abc"
                             << "0";
    QTest::newRow("blanks inside the number") << " 1 2"
                                              << "12";
    QTest::newRow("tab and line feed skipped") << "\t3\n4"
                                               << "34";
    QTest::newRow("negative") << "-5"
                              << "-5";
    QTest::newRow("plus sign") << "+7"
                               << "7";
    QTest::newRow("minus zero") << "-0"
                                << "0";
    QTest::newRow("leading point") << ".5"
                                   << "0.5";
    QTest::newRow("second point ends it") << "1.2.3"
                                          << "1.2";
    QTest::newRow("exponent E") << "1E3"
                                << "1000";
    QTest::newRow("exponent D, small letter") << "1d2"
                                              << "100";
    QTest::newRow("negative exponent") << "25E-3"
                                       << "0.025";
    QTest::newRow("exponent without digits") << "4E"
                                             << "4";
    QTest::newRow("huge but representable") << "1E20"
                                            << "100000000000000000000";
    QTest::newRow("underflow is zero") << "1E-400"
                                       << "0";
    QTest::newRow("hexadecimal") << "&H1F"
                                 << "31";
    QTest::newRow("hexadecimal small h") << "&hff"
                                         << "255";
    QTest::newRow("octal") << "&O17"
                           << "15";
    QTest::newRow("octal stops at 8") << "&O178"
                                      << "15";
    QTest::newRow("ampersand alone") << "&"
                                     << "0";
    QTest::newRow("ampersand other letter") << "&X12"
                                            << "0";
    QTest::newRow("sign alone") << "-"
                                << "0";
    QTest::newRow("non-ASCII digit ends it") << QString::fromUtf8("1\xD9\xA3") << "1";
}

void TestTimeoutNumber::shownForm()
{
    QFETCH(QString, fileValue);
    QFETCH(QString, shown);
    const Result<QString> got = timeOutFromFile(fileValue);
    QVERIFY(got.ok());
    QCOMPARE(got.value(), shown);
}

void TestTimeoutNumber::tooLargeIsAFailure_data()
{
    QTest::addColumn<QString>("fileValue");
    QTest::newRow("exponent") << "1E400";
    QTest::newRow("many digits") << QString(400, u'9');
    QTest::newRow("hexadecimal") << QStringLiteral("&H") + QString(300, u'F');
}

void TestTimeoutNumber::tooLargeIsAFailure()
{
    QFETCH(QString, fileValue);
    QVERIFY(!timeOutFromFile(fileValue).ok());
}

void TestTimeoutNumber::plainFormReadsBackAsTheSameNumber()
{
    // What the field shows must read back as the very same number, so that
    // saving and opening again never drifts.
    const double samples[] = {
        0.1,     1.0 / 3, 123456.789, 1e-7,    6.02214076e23,
        -2.5e-5, 1e300,   5e-324,     1.5e308, std::numeric_limits<double>::max()};
    for (const double value : samples) {
        const QString text = plainNumberText(value);
        QVERIFY2(!text.contains(u'e') && !text.contains(u'E'), qPrintable(text));
        const Result<double> back = readLeadingNumber(text);
        QVERIFY2(back.ok(), qPrintable(text));
        QCOMPARE(back.value(), value);
    }
}

QTEST_GUILESS_MAIN(TestTimeoutNumber)
#include "tst_timeoutnumber.moc"
