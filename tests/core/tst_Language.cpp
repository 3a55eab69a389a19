#include "TestFiles.h"

#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "core/files/Paths.h"
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"
#include "core/text/MessageIds.h"

#include <QStringDecoder>
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

    // The file is read in its own bytes and only values are decoded; that must give exactly what
    // decoding the whole file and reading its lines gives, whatever the bytes.
    void bytesReadAsDecodedText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("pilcrows, utf-8") << bom + "STR5 = \xC2\xB6 kept \xC2\xB6 cut\nSTR6 =\xC2\xB6\xC2\xB6\n";
        QTest::newRow("pilcrows, windows-1252") << QByteArray("STR5 = \xB6 kept \xB6 cut\r\nSTR6 = \xB6\xE9\n");
        QTest::newRow("comment after value") << bom + "STR5 = caf\xC3\xA9 /#/ note\nSTR6 = /#/ only\n";
        QTest::newRow("truncated sequence before =") << bom + "STR5\xE2\x82= x\nSTR6 = y\xE2\x82\n";
        QTest::newRow("invalid sequence hides pilcrow lead") << bom + "STR5 = a\xF0\xC2\xB6 b\xF0\x90\xC2\xB6z\n";
        QTest::newRow("surrogate and overlong, with bom") << bom + "STR5 = \xED\xA0\x80 \xC0\x80 \xF4\x90\x80\x80\n";
        QTest::newRow("lone continuation, with bom") << bom + "STR5 = \xBF\x80x\n";
        QTest::newRow("invalid utf-8 without bom reads as 1252") << QByteArray("STR5 = \xE2\x82 \x80\x9F\xB6y\n");
        QTest::newRow("noncharacter is valid utf-8") << QByteArray("STR5 = \xEF\xBF\xBE \xEF\xBF\xBF\n");
        QTest::newRow("4-byte utf-8 without bom") << QByteArray("STR5 = \xF0\x9F\x98\x80 \xC2\xB6\n");
        QTest::newRow("control characters trimmed") << bom + QByteArray("\x01STR5\x1F=\x00\x7F v \x05\n", 15);
        QTest::newRow("CR, LF and CR LF") << QByteArray("STR5 = a\rSTR6 = b\r\nSTR7 = c\n\rSTR8 = d");
        QTest::newRow("character before = is not ASCII")
            << bom + "STR5\xC2\xB6= a\nSTR6 \xE2\x82\xAC= b\nSTR7\xF0\x9F\x98\x80= c\nSTR8\x80\x80= d\nSTR9\xC2= e\n";
        QTest::newRow("byte-order marks inside lines") << QByteArray("STR\xEF\xBB\xBF"
                                                                     "5 = 1\nSTR6 = \xEF\xBB\xBFx\n");
        QTest::newRow("mark and cut sequence in one value") << bom + "STR5 = \xEF\xBB\xBFx\xEF\xBF\n";
        QTest::newRow("two marks at the start") << bom + bom + "STR5 = a\n";
        QTest::newRow("hexadecimal and signed indices")
            << QByteArray("STR$A = a\nSTR0x0b = b\nSTR+12 = c\nSTR-1 = d\n");
        QTest::newRow("utf-16le") << QByteArray("\xFF\xFE")
                + QStringEncoder(QStringConverter::Utf16LE)(u"STR5 = \u00B6x\u00B6y\n");
    }

    void bytesReadAsDecodedText()
    {
        QFETCH(QByteArray, bytes);
        QStringList fromBytes;
        Default_Messages(fromBytes);
        QStringList fromText = fromBytes;
        readLanguageBytes(bytes, fromBytes);
        readLanguageText(decodeLanguageText(bytes), fromText);
        QCOMPARE(fromBytes, fromText);
        QStringList defaults;
        Default_Messages(defaults);
        QVERIFY(fromBytes != defaults); // every row sets at least one entry
    }

    // The choice between UTF-8 and Windows-1252 for a file without a mark follows Qt's decoder.
    void utf8Validity_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const char *bytes : { "", "plain ascii text", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                 "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF", "\xC2", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
                 "\xED\xA0\x80", "\xED\x9F\xBF", "\xF0\x80\x80\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                 "\xF8\x88\x80\x80\x80", "\xFF", "\x80", "abcdefgh\xE9ijklmnop", "abcdefghijklmnop\xE2\x82" })
            QTest::newRow(QByteArray(bytes).toHex(' ').constData()) << QByteArray(bytes);
    }

    void utf8Validity()
    {
        QFETCH(QByteArray, bytes);
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder(bytes);
        QCOMPARE(isValidUtf8(bytes), !decoder.hasError());
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
