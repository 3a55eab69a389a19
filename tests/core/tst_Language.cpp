#include "TestFiles.h"

#include "core/ProgramValues.h"
#include "core/files/Paths.h"
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"
#include "core/text/MessageIds.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace sw;
using sw::test::writeFile;

namespace {

QString shippedLanguageFolder()
{
    return QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE");
}

} // namespace

class tst_Language : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueDefaults_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Begin";
        QTest::newRow("9 keeps trailing blank") << 9 << "None Configuration Opened ";
        QTest::newRow("18") << 18 << "Error! Project not Valid";
        QTest::newRow("306 blanks both sides") << 306 << " / ";
        QTest::newRow("800") << 800 << "Definition the list of Known Certificates";
        QTest::newRow("802") << 802 << "OK";
        QTest::newRow("1036") << 1036 << "Device Not Found!";
        QTest::newRow("1105") << 1105 << "File already exists. Do you want to overwrite?";
        QTest::newRow("1200 first of the configurator's own") << 1200 << "Configuration image written:";
        QTest::newRow("1201") << 1201 << "bytes";
        QTest::newRow("33 unused") << 33 << " ";
        QTest::newRow("1199") << 1199 << " ";
        QTest::newRow("1241") << 1241 << "not UTF-8";
        QTest::newRow("1599") << 1599 << " ";
    }

    void catalogueDefaults()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QStringList catalogue { QStringLiteral("left over") };
        Default_Messages(catalogue);
        QCOMPARE(catalogue.size(), 1600);
        QCOMPARE(Msg_Catalogue_Size, 1600);
        QCOMPARE(catalogue.at(index), text);
    }

    void noSlotIsEmpty()
    {
        QStringList catalogue;
        Default_Messages(catalogue);
        for (int i = 0; i < catalogue.size(); ++i)
            QVERIFY2(!catalogue.at(i).isEmpty(), qPrintable(QString::number(i)));
    }

    void lines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected"); // the entry's text afterwards

        const QString pil = QString(QChar(0x00B6));
        QTest::newRow("plain") << "STR12 = Info" << 12 << "Info";
        QTest::newRow("no blank before = drops the last index digit") << "STR12=Info" << 1 << "Info";
        QTest::newRow("no blank before =, entry 12 untouched") << "STR12=Info" << 12 << "Information";
        QTest::newRow("pilcrows keep blanks")
            << "STR9 = " + pil + "None Configuration Opened " + pil << 9 << "None Configuration Opened ";
        QTest::newRow("pilcrow only at the start") << "STR9 = " + pil + "  lead" << 9 << "  lead";
        QTest::newRow("text after the closing pilcrow is cut") << "STR9 = " + pil + "a " + pil + "b" << 9 << "a ";
        QTest::newRow("two pilcrows make it empty") << "STR12 = " + pil + pil << 12 << "";
        QTest::newRow("one pilcrow makes it empty") << "STR12 = " + pil << 12 << "";
        QTest::newRow("comment cut") << "STR12 = Info /#/ tooltip of the info button" << 12 << "Info";
        QTest::newRow("only a comment keeps the text") << "STR12 = /#/ nothing" << 12 << "Information";
        QTest::newRow("comment then pilcrow value") << "STR12 = " + pil + " a " + pil + " /#/ c" << 12 << " a ";
        QTest::newRow("empty value ignored") << "STR12 = " << 12 << "Information";
        QTest::newRow("STR1600 out of range") << "STR1600 = x" << 1599 << " ";
        QTest::newRow("STR-1 ignored") << "STR-1 = x" << 0 << "Begin";
        QTest::newRow("lower-case str ignored") << "str12 = x" << 12 << "Information";
        QTest::newRow("leading blanks and tabs") << " \t STR12 = Info\t " << 12 << "Info";
        QTest::newRow("hex with dollar") << "STR$C = Hex" << 12 << "Hex";
        QTest::newRow("hex with 0x") << "STR0x0C = Hex" << 12 << "Hex";
        QTest::newRow("plus sign") << "STR+12 = Signed" << 12 << "Signed";
        QTest::newRow("blanks inside index text") << "STR 12  = Spaced" << 12 << "Spaced";
        QTest::newRow("not a number") << "STR1a = x" << 1 << "Step 1";
        QTest::newRow("no equals sign") << "STR12 Info" << 12 << "Information";
        QTest::newRow("no index") << "STR = x" << 0 << "Begin";
        QTest::newRow("later = is part of the value") << "STR12 = a=b" << 12 << "a=b";
        QTest::newRow("hex beyond 32 bits") << "STR$100000000C = x" << 12 << "Information";
        QTest::newRow("unused slot can be set") << "STR1500 = spare" << 1500 << "spare";
    }

    void lines()
    {
        QFETCH(QString, line);
        QFETCH(int, index);
        QStringList catalogue;
        Default_Messages(catalogue);
        applyLanguageLine(line, catalogue);
        QTEST(catalogue.at(index), "expected");
        QCOMPARE(catalogue.size(), 1600);
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text
            = QStringLiteral("header\r\nSTR12 = Caf\u00e9 \u20ac\nSTR13 = second\rSTR12 = Caf\u00e9 \u20ac");
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE") + QStringEncoder(QStringConverter::Utf16LE)(text);
        QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF") + QStringEncoder(QStringConverter::Utf16BE)(text);
        QTest::newRow("utf-8 without bom") << text.toUtf8();
        QTest::newRow("windows-1252") << QByteArray(
            "header\r\nSTR12 = Caf\xE9 \x80\nSTR13 = second\rSTR12 = Caf\xE9 \x80");
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.lng"));
        QVERIFY(writeFile(path, bytes));
        QStringList catalogue;
        Default_Messages(catalogue);
        QVERIFY(Read_Lang_File(path, catalogue));
        QCOMPARE(catalogue.at(12), QStringLiteral("Caf\u00e9 \u20ac"));
        QCOMPARE(catalogue.at(13), QStringLiteral("second"));
    }

    void laterLinesWin()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.lng"));
        QVERIFY(writeFile(path, "STR12 = first\nSTR12 = second\n"));
        QStringList catalogue;
        Default_Messages(catalogue);
        Read_Lang_File(path, catalogue);
        QCOMPARE(catalogue.at(12), QStringLiteral("second"));
    }

    void unreadableFileKeepsDefaults()
    {
        QTemporaryDir dir;
        QStringList catalogue;
        Default_Messages(catalogue);
        QVERIFY(!Read_Lang_File(dir.filePath(QStringLiteral("missing.lng")), catalogue));
        QVERIFY(!Read_Lang_File(dir.path(), catalogue)); // a folder cannot be read as a file
        QStringList defaults;
        Default_Messages(defaults);
        QCOMPARE(catalogue, defaults);
    }

    void shippedEnglishEqualsDefaults()
    {
        QStringList defaults;
        Default_Messages(defaults);
        QStringList catalogue(Msg_Catalogue_Size, QStringLiteral("x")); // every slot the file sets shows
        QVERIFY(Read_Lang_File(shippedLanguageFolder() + QStringLiteral("/English.lng"), catalogue));
        for (int i = 0; i < Msg_Catalogue_Size; ++i) {
            if (defaults.at(i) != QStringLiteral(" "))
                QCOMPARE(catalogue.at(i), defaults.at(i));
            else
                QCOMPARE(catalogue.at(i), QStringLiteral("x")); // blank slots are not listed
        }
    }

    void shippedFlagsArePresent()
    {
        for (const char *name : { "DefaultFlag.bmp", "English.bmp" }) {
            const QString path = shippedLanguageFolder() + QLatin1Char('/') + QLatin1String(name);
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        }
    }

    void loadLang_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("withGerman");
        QTest::addColumn<bool>("withEnglish");
        QTest::addColumn<QString>("nameAfter");
        QTest::addColumn<QString>("entry12");
        QTest::newRow("named file") << "Deutsch" << true << true << "Deutsch"
                                    << "Informationen";
        QTest::newRow("missing file falls back to English") << "German" << true << true << "English"
                                                            << "Info EN";
        QTest::newRow("empty name falls back") << "" << true << true << "English"
                                               << "Info EN";
        QTest::newRow("a name that leaves the folder is ignored") << "../outside/Evil" << true << true << "English"
                                                                  << "Info EN";
        QTest::newRow("a name with a folder inside is ignored") << "../LANGUAGE/Deutsch" << true << true << "English"
                                                                << "Info EN";
        QTest::newRow("a name with a backslash is ignored") << "..\\outside\\Evil" << true << true << "English"
                                                            << "Info EN";
        QTest::newRow("no files at all") << "Deutsch" << false << false << "English"
                                         << "Information";
    }

    void loadLang()
    {
        QFETCH(QString, language);
        QFETCH(bool, withGerman);
        QFETCH(bool, withEnglish);
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        if (withGerman)
            QVERIFY(writeFile(
                joinPath(pv.Dir_Language, QStringLiteral("Deutsch.lng")), "STR12 = Informationen\nSTR13 = Optionen\n"));
        if (withEnglish)
            QVERIFY(writeFile(joinPath(pv.Dir_Language, QStringLiteral("English.lng")), "STR12 = Info EN\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("outside/Evil.lng")), "STR12 = from outside\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("LANGUAGE/..\\outside\\Evil.lng")), "STR12 = odd name\n"));
        // A hidden ".lng" file must not be taken for an empty language name.
        QVERIFY(writeFile(joinPath(pv.Dir_Language, QStringLiteral(".lng")), "STR12 = hidden\n"));

        pv.Language_Name = language;
        pv.Msg_Catalogue = QStringList { QStringLiteral("old") };
        Load_Lang(pv);
        QCOMPARE(pv.Msg_Catalogue.size(), 1600);
        QTEST(pv.Language_Name, "nameAfter");
        QTEST(pv.Msg_Catalogue.at(12), "entry12");
    }

    void changeStartsFromDefaults()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        QVERIFY(writeFile(joinPath(pv.Dir_Language, QStringLiteral("Deutsch.lng")), "STR13 = Optionen\n"));
        QVERIFY(writeFile(joinPath(pv.Dir_Language, QStringLiteral("Other.lng")), "STR12 = Info\n"));
        pv.Language_Name = QStringLiteral("Deutsch");
        Load_Lang(pv);
        pv.Language_Name = QStringLiteral("Other");
        Load_Lang(pv);
        QCOMPARE(pv.msg(MsgId::HintOptions), QStringLiteral("Options"));
        QCOMPARE(pv.msg(MsgId::HintInfo), QStringLiteral("Info"));
    }
};

QTEST_GUILESS_MAIN(tst_Language)
#include "tst_Language.moc"
