#include "core/Error.h"

#include <QTest>
#include <exception>
#include <stdexcept>

using namespace sw;

Q_DECLARE_METATYPE(std::exception_ptr)

class tst_ErrorText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorText_data()
    {
        QTest::addColumn<std::exception_ptr>("thrown");
        QTest::addColumn<QString>("text");

        const QString message = QStringLiteral("Cannot write \"C:\\Projekte\\Stra\u00dfe \u20ac\\bin\\bank1.bin\"");
        QTest::newRow("sw::Error with non-ASCII text") << std::make_exception_ptr(Error(message)) << message;
        const char utf8[] = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x81";
        QTest::newRow("std::runtime_error with UTF-8 bytes")
            << std::make_exception_ptr(std::runtime_error(utf8)) << QStringLiteral("caf\u00e9 \u20ac \U0001F4C1");
    }

    // Caught as the handlers catch it: by the base class.
    void errorText()
    {
        QFETCH(std::exception_ptr, thrown);
        QFETCH(QString, text);
        try {
            std::rethrow_exception(thrown);
        } catch (const std::exception &e) {
            QCOMPARE(sw::errorText(e), text);
        }
    }
};

QTEST_APPLESS_MAIN(tst_ErrorText)
#include "tst_ErrorText.moc"
