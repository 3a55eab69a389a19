#include "core/text/Decimal.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace sw;

class tst_Decimal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void separatorFromSystem_data()
    {
        QTest::addColumn<std::optional<QChar>>("system");
        QTest::addColumn<QChar>("expected");
        QTest::newRow("comma") << std::optional<QChar>(u',') << QChar(u',');
        QTest::newRow("point") << std::optional<QChar>(u'.') << QChar(u'.');
        QTest::newRow("other character") << std::optional<QChar>(u'\'') << QChar(u',');
        QTest::newRow("unreadable") << std::optional<QChar>() << QChar(u',');
    }
    void separatorFromSystem()
    {
        QFETCH(std::optional<QChar>, system);
        QFETCH(QChar, expected);
        QCOMPARE(decimalSeparatorFrom(system), expected);
    }

    void textToFloat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<float>("value");
        QTest::newRow("point") << "1.5" << true << 1.5f;
        QTest::newRow("comma") << "1,5" << true << 1.5f;
        QTest::newRow("integer") << "20" << true << 20.0f;
        QTest::newRow("negative") << "-0,25" << true << -0.25f;
        QTest::newRow("plus sign") << "+3" << true << 3.0f;
        QTest::newRow("leading mark") << ",5" << true << 0.5f;
        QTest::newRow("trailing mark") << "2." << true << 2.0f;
        QTest::newRow("exponent") << "1,5E3" << true << 1500.0f;
        QTest::newRow("negative exponent") << "25e-1" << true << 2.5f;
        QTest::newRow("smallest step") << "0.1" << true << 0.1f;
        QTest::newRow("empty") << "" << false << 1.0f;
        QTest::newRow("letters") << "abc" << false << 1.0f;
        QTest::newRow("sign only") << "-" << false << 1.0f;
        QTest::newRow("mark only") << "." << false << 1.0f;
        QTest::newRow("thousands and decimal") << "1.234,5" << false << 1.0f;
        QTest::newRow("two points") << "1.2.3" << false << 1.0f;
        QTest::newRow("exponent without digits") << "1e" << false << 1.0f;
        QTest::newRow("blank inside") << "1 5" << false << 1.0f;
        QTest::newRow("surrounding blank") << " 1.5" << false << 1.0f;
        QTest::newRow("trailing text") << "1.5x" << false << 1.0f;
        QTest::newRow("infinity") << "inf" << false << 1.0f;
        QTest::newRow("not a number") << "NAN" << false << 1.0f;
        QTest::newRow("hexadecimal") << "0x10" << false << 1.0f;
        QTest::newRow("beyond float range") << "1e39" << false << 1.0f;
        QTest::newRow("largest float as printed") << "3.4028235e38" << true << std::numeric_limits<float>::max();
        QTest::newRow("just below the rounding threshold")
            << "3.4028235677973366e38" << true << std::numeric_limits<float>::max();
        // Halfway between the largest float and the next power of two rounds away from it.
        QTest::newRow("rounding threshold") << "340282356779733661637539395458142568448" << false << 1.0f;
        QTest::newRow("negative beyond range") << "-1e39" << false << 1.0f;
        QTest::newRow("huge exponent") << "1e99999999999999999999" << false << 1.0f;
        QTest::newRow("below the smallest float") << "1e-50" << true << 0.0f;
        QTest::newRow("far below double range") << "1e-400" << true << 0.0f;
        QTest::newRow("tiny negative") << "-1e-400" << true << -0.0f;
        QTest::newRow("huge negative exponent") << "1e-99999999999999999999" << true << 0.0f;
        QTest::newRow("many digits, small exponent") << "12345678901234567890e-70" << true << 0.0f;
        QTest::newRow("subnormal") << "1e-40" << true << 1e-40f;
        QTest::newRow("smallest subnormal")
            << "1.401298464324817e-45" << true << std::numeric_limits<float>::denorm_min();
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0661") << false << 1.0f;
        QTest::newRow("full-width digits") << QStringLiteral("\uFF11.\uFF15") << false << 1.0f;
        QTest::newRow("two signs") << "+-1" << false << 1.0f;
        QTest::newRow("blank after the sign") << "- 1" << false << 1.0f;
        QTest::newRow("blanks only") << "   " << false << 1.0f;
        QTest::newRow("no-break space before") << QStringLiteral("\u00A01.5") << false << 1.0f;
        QTest::newRow("tab after") << "1.5\t" << false << 1.0f;
        QTest::newRow("CR after") << "1,5\r" << false << 1.0f;
        QTest::newRow("LF before") << "\n1.5" << false << 1.0f;
        QTest::newRow("ESC before") << QStringLiteral("\u001B1.5") << false << 1.0f;
        QTest::newRow("NUL after") << QStringLiteral("1.5") + QChar(0) << false << 1.0f;
        QTest::newRow("NUL between digits") << QStringLiteral("1") + QChar(0) + QStringLiteral("5") << false << 1.0f;
        QTest::newRow("lone surrogate") << QStringLiteral("1.5") + QChar(0xDC00) << false << 1.0f;
        // 100,000 characters.
        QTest::newRow("100,000 digits") << QStringLiteral("1") + QString(99999, u'0') << false << 1.0f;
        QTest::newRow("100,000 characters, zeros then 1,5")
            << QString(99997, u'0') + QStringLiteral("1,5") << true << 1.5f;
        QTest::newRow("100,000 characters below the smallest float")
            << QStringLiteral("0.") + QString(99997, u'0') + u'1' << true << 0.0f;
        QTest::newRow("100,000 nines after the mark") << QStringLiteral("0,") + QString(99998, u'9') << true << 1.0f;
    }
    void textToFloat()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(float, value);
        // Both marks are accepted whichever separator the system uses.
        for (const QChar separator : { QChar(u','), QChar(u'.') }) {
            float out = 7.0f;
            QCOMPARE(Text_To_Float(text, separator, out), ok);
            QCOMPARE(out, value);
            QCOMPARE(std::signbit(out), std::signbit(value)); // -0.0 keeps its sign
        }
    }
};

QTEST_GUILESS_MAIN(tst_Decimal)
#include "tst_Decimal.moc"
