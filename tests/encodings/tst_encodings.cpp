// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/PasswordCipher.h"
#include "encodings/TextLines.h"

#include <QTest>

using namespace useropts;

class TestEncodings : public QObject
{
    Q_OBJECT

  private slots:
    void everyByteMapsToOneCharacterAndBack();
    void charsetKnownCodes_data();
    void charsetKnownCodes();
    void charactersWithoutCodeAreRefused_data();
    void charactersWithoutCodeAreRefused();

    void cipherExamples_data();
    void cipherExamples();
    void cipherFailures_data();
    void cipherFailures();
    void cipherUndoesItselfForEveryAcceptedCode();

    void addressForms_data();
    void addressForms();

    void lineEnds_data();
    void lineEnds();
};

void TestEncodings::everyByteMapsToOneCharacterAndBack()
{
    QSet<QChar> seen;
    for (int code = 0; code <= 255; ++code) {
        const QChar ch = Charset::toUnicode(static_cast<unsigned char>(code));
        QVERIFY2(!seen.contains(ch), qPrintable(QString::number(code)));
        seen.insert(ch);
        const auto back = Charset::toCode(ch);
        QVERIFY(back.has_value());
        QCOMPARE(int(*back), code);
    }
}

void TestEncodings::charsetKnownCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("unicode");
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("undefined 81 is its C1 control") << 0x81 << 0x81;
    QTest::newRow("undefined 8D") << 0x8D << 0x8D;
    QTest::newRow("undefined 9D") << 0x9D << 0x9D;
    QTest::newRow("left double quote") << 0x93 << 0x201C;
    QTest::newRow("y diaeresis 9F") << 0x9F << 0x0178;
    QTest::newRow("y diaeresis FF") << 0xFF << 0xFF;
    QTest::newRow("nul") << 0x00 << 0x00;
}

void TestEncodings::charsetKnownCodes()
{
    QFETCH(int, code);
    QFETCH(int, unicode);
    QCOMPARE(int(Charset::toUnicode(static_cast<unsigned char>(code)).unicode()), unicode);
}

void TestEncodings::charactersWithoutCodeAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("chinese letter") << QStringLiteral("ab\u4E2Dc") << 2;
    QTest::newRow("C1 control that 1252 replaced") << QStringLiteral("\u0080") << 0;
    QTest::newRow("emoji as surrogate pair") << QString::fromUtf8("x\xF0\x9F\x98\x80") << 1;
}

void TestEncodings::charactersWithoutCodeAreRefused()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    const Result<QByteArray> codes = Charset::encode(text, "Username");
    QVERIFY(!codes.ok());
    // The user is told which character, the whole of it.
    const QString character = text.mid(index, text[index].isHighSurrogate() ? 2 : 1);
    const QString reason = codes.failure().reason;
    QVERIFY2(reason.startsWith("Username holds the character ") && reason.contains("U+") &&
                 (reason.contains(character) || !character[0].isPrint()),
             qPrintable(reason));
}

static QByteArray codes(std::initializer_list<int> list)
{
    QByteArray bytes;
    for (int c : list)
        bytes.append(static_cast<char>(c));
    return bytes;
}

void TestEncodings::cipherExamples_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("aaa is bcd") << QByteArray("aaa") << QByteArray("bcd");
    QTest::newRow("default password") << QByteArray("quill") << QByteArray("rwlpq");
    QTest::newRow("254 at position 1") << codes({254}) << codes({255});
    QTest::newRow("tilde becomes 127") << QByteArray("~") << codes({127});
    QTest::newRow("z at position 6 becomes 128")
        << QByteArray("aaaaaz") << QByteArray("bcdef") + codes({128});
    QTest::newRow("code 0 is a valid plain code") << codes({0}) << codes({1});
}

void TestEncodings::cipherExamples()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, stored);
    const Result<QString> enc = Encrypt(Charset::decode(plain));
    QVERIFY(enc.ok());
    QCOMPARE(enc.value(), Charset::decode(stored));
    const Result<QString> dec = Decrypt(Charset::decode(stored));
    QVERIFY(dec.ok());
    QCOMPARE(dec.value(), Charset::decode(plain));
}

void TestEncodings::cipherFailures_data()
{
    QTest::addColumn<bool>("encrypt");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("position");
    QTest::newRow("255 at position 1") << true << codes({255}) << 1;
    QTest::newRow("200 letters a fail at 159") << true << QByteArray(200, 'a') << 159;
    QTest::newRow("stored code 0 at position 1") << false << codes({0}) << 1;
    QTest::newRow("stored code 2 at position 3") << false << codes({5, 5, 2}) << 3;
}

void TestEncodings::cipherFailures()
{
    QFETCH(bool, encrypt);
    QFETCH(QByteArray, input);
    QFETCH(int, position);
    const Result<QString> result =
        encrypt ? Encrypt(Charset::decode(input)) : Decrypt(Charset::decode(input));
    QVERIFY(!result.ok());
    QVERIFY2(result.failure().reason.contains(QStringLiteral("at position %1 ").arg(position)),
             qPrintable(result.failure().reason));
}

void TestEncodings::cipherUndoesItselfForEveryAcceptedCode()
{
    // Every code at every position that the cipher accepts comes back unchanged.
    for (int position = 1; position <= 256; ++position) {
        for (int code = 0; code <= 255; ++code) {
            QByteArray plain(position, 'A' - 64); // code 1 never overflows early positions
            for (int i = 0; i < position - 1; ++i)
                plain[i] = 0;
            plain[position - 1] = static_cast<char>(code);
            const Result<QString> enc = Encrypt(Charset::decode(plain));
            if (code + position > 255) {
                QVERIFY(!enc.ok());
                continue;
            }
            QVERIFY(enc.ok());
            QCOMPARE(int(Charset::toCode(enc.value()[position - 1]).value()), code + position);
            QCOMPARE(Decrypt(enc.value()).value(), Charset::decode(plain));
        }
    }
}

void TestEncodings::addressForms_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");
    QTest::newRow("default address") << "192.168.1.123"
                                     << "192 168 1 123";
    QTest::newRow("no dots") << "gateway"
                             << "gateway";
    QTest::newRow("adjacent dots") << "10..1"
                                   << "10  1";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEncodings::addressForms()
{
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    QCOMPARE(RawIP(shown), stored);
    QCOMPARE(NiceIP(stored), shown);
}

void TestEncodings::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("lines");
    using L = QList<QByteArray>;
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << L{"a", "b"};
    QTest::newRow("CR alone") << QByteArray("a\rb\r") << L{"a", "b"};
    QTest::newRow("lone LF is a character") << QByteArray("a\nb\n") << L{"a\nb\n"};
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << L{"a", "b"};
    QTest::newRow("CR CR LF gives an empty line") << QByteArray("a\r\r\nb") << L{"a", "", "b"};
    QTest::newRow("empty text has no line") << QByteArray() << L{};
    QTest::newRow("a lone line end is one empty line") << QByteArray("\r\n") << L{""};
}

void TestEncodings::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, lines);
    LineReader reader(bytes);
    QList<QByteArray> got;
    while (!reader.atEnd())
        got.append(reader.next());
    QCOMPARE(got, lines);
}

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
