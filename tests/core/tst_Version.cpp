#include "core/ProgramValues.h"
#include "core/update/Version.h"

#include <QTest>

using namespace sw;

class tst_Version : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convVersion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("own version") << "1.000" << 1000;
        QTest::newRow("reply") << "VER. 1.002" << 1002;
        QTest::newRow("prefix not examined") << "anything 2.301" << 2301;
        QTest::newRow("only the first blank splits") << "VER.  1.500" << 1500;
        QTest::newRow("trailing line break") << "VER. 1.002\r\n" << 1002;
        QTest::newRow("second character skipped") << "1x234" << 1234;
        QTest::newRow("characters after the fifth ignored") << "VER. 1.0029 beta" << 1002;
        QTest::newRow("two-digit major") << "VER. 10.00" << -1;
        QTest::newRow("too short") << "VER. 2" << -1;
        QTest::newRow("four characters") << "1.00" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("blank only") << " " << -1;
        QTest::newRow("letters") << "VER. a.bcd" << -1;
        QTest::newRow("blank among the digits") << "1.00 2" << -1;
        QTest::newRow("no hexadecimal") << "$.FFF" << -1;
        QTest::newRow("non-ASCII digits") << QStringLiteral("\u0661.\u0662\u0663\u0664") << -1;
    }
    void convVersion()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(Conv_Version(text), number);
    }

    void newerVersion_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("own");
        QTest::addColumn<bool>("newer");
        const QString own = QString::fromLatin1(Program_Version);
        QTest::newRow("newer") << "VER. 1.002" << own << true;
        QTest::newRow("equal") << "VER. 1.000" << own << false;
        QTest::newRow("older") << "VER. 0.999" << own << false;
        QTest::newRow("no version known, lower case, line break") << "ver. 0.000\r\n" << own << false;
        QTest::newRow("two-digit major") << "VER. 10.00" << own << false;
        QTest::newRow("too short") << "VER. 2" << own << false;
        QTest::newRow("empty") << "" << own << false;
        QTest::newRow("blanks only") << " \r\n" << own << false;
        QTest::newRow("without prefix") << "1.500" << own << true;
        QTest::newRow("surrounding blanks") << "  VER. 2.000  \n" << own << true;
        QTest::newRow("any prefix word") << "Version: 1.001" << own << true;
        QTest::newRow("error page") << "<html><body>Not found</body></html>" << own << false;
        QTest::newRow("own version unreadable") << "VER. 9.999"
                                                << "1.0" << false;
        QTest::newRow("compared with the given own version") << "VER. 1.002"
                                                             << "1.005" << false;
    }
    void newerVersion()
    {
        QFETCH(QString, reply);
        QFETCH(QString, own);
        QFETCH(bool, newer);
        QCOMPARE(isNewerVersion(reply, own), newer);
    }
};

QTEST_GUILESS_MAIN(tst_Version)
#include "tst_Version.moc"
