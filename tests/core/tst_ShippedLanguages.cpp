// Every language file that ships with the program, read with the program's own reader: it must
// translate exactly the texts the program shows, keep the blanks at the ends where texts are joined,
// use the same placeholders as English and have its flag beside it. The files are found at run
// time, so a new translation is checked as soon as it is added.
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace sw;

namespace {

const QString LanguageFolder = QStringLiteral(SW_LANGUAGE_DIR);

bool blankAt(const QString &text, bool front)
{
    return !text.isEmpty() && (front ? text.front() : text.back()).unicode() <= 0x20;
}

// The placeholders %1 to %9 a text uses, sorted, as "%1 %2"; "none" when it uses none.
QString placeholders(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    QStringList found;
    for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
        found.append(match.captured());
    found.removeDuplicates();
    found.sort();
    return found.isEmpty() ? QStringLiteral("none") : found.join(u' ');
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

} // namespace

class tst_ShippedLanguages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void languageFile_data()
    {
        QTest::addColumn<QString>("path");
        const QFileInfoList files
            = QDir(LanguageFolder).entryInfoList({ QStringLiteral("*.lng") }, QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(QStringLiteral("no language file in ") + LanguageFolder));
        for (const QFileInfo &file : files)
            QTest::newRow(qPrintable(file.fileName())) << file.absoluteFilePath();
    }

    // Reports every fault of one file, so that a translator sees them all in one run.
    void languageFile()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + QStringLiteral(": ") + file.errorString()));
        const QByteArray bytes = file.readAll();
        QStringList faults;

        if (!bytes.startsWith("\xEF\xBB\xBF"))
            faults.append(QStringLiteral("does not start with the UTF-8 byte-order mark"));

        // The reader passes over a malformed entry line silently, and takes the character before
        // "=" for the separator: "STR12=x" would set entry 1.
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        const QStringList lines = decodeLanguageText(bytes).split(lineBreak);
        QStringList scratch(Msg_Catalogue_Size);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString line = trimBlanks(lines[i]);
            if (!line.startsWith(QLatin1String("STR")))
                continue;
            if (!applyLanguageLine(line, scratch))
                faults.append(QStringLiteral("line %1 is not read: %2").arg(i + 1).arg(line));
            else if (line.at(line.indexOf(u'=') - 1) != u' ')
                faults.append(QStringLiteral("line %1 lacks the blank before \"=\": %2").arg(i + 1).arg(line));
        }

        QStringList defaults;
        Default_Messages(defaults);
        // A text that no line of a language file can produce marks the entries the file leaves alone.
        const QString unset = QStringLiteral("\x01unset");
        QStringList texts(Msg_Catalogue_Size, unset);
        readLanguageBytes(bytes, texts);

        for (int index = 0; index < Msg_Catalogue_Size; ++index) {
            const QString &english = defaults.at(index);
            const QString &text = texts.at(index);
            const QString entry = QStringLiteral("STR%1").arg(index);
            if (trimBlanks(english).isEmpty()) {
                if (text != unset)
                    faults.append(entry + QStringLiteral(" is not a text of the program"));
                continue;
            }
            if (text == unset) {
                faults.append(entry + QStringLiteral(" is missing (English ") + quoted(english) + u')');
                continue;
            }
            if (trimBlanks(text).isEmpty())
                faults.append(entry + QStringLiteral(" is blank (English ") + quoted(english) + u')');
            for (const bool front : { true, false }) {
                if (blankAt(text, front) != blankAt(english, front)) {
                    faults.append(entry + QStringLiteral(" ") + quoted(text)
                        + (blankAt(english, front) ? QStringLiteral(" lacks the") : QStringLiteral(" has a"))
                        + (front ? QStringLiteral(" leading") : QStringLiteral(" trailing"))
                        + QStringLiteral(" blank of English ") + quoted(english));
                }
            }
            if (placeholders(text) != placeholders(english)) {
                faults.append(entry + QStringLiteral(" uses placeholders ") + placeholders(text)
                    + QStringLiteral(", English uses ") + placeholders(english));
            }
        }

        const QString flagPath
            = QFileInfo(path).path() + u'/' + QFileInfo(path).completeBaseName() + QStringLiteral(".bmp");
        const QImage flag(flagPath);
        if (flag.isNull())
            faults.append(QStringLiteral("flag ") + flagPath + QStringLiteral(" is missing or cannot be read"));
        else if (flag.size() != QSize(48, 48))
            faults.append(QStringLiteral("flag is %1 x %2 pixels, not 48 x 48").arg(flag.width()).arg(flag.height()));

        // One warning per fault: a failure message alone would be cut short.
        const QString name = QFileInfo(path).fileName();
        for (const QString &fault : std::as_const(faults))
            qWarning("%s: %s", qUtf8Printable(name), qUtf8Printable(fault));
        QVERIFY2(faults.isEmpty(), qPrintable(name + QStringLiteral(" has faults, listed above")));
    }
};

QTEST_GUILESS_MAIN(tst_ShippedLanguages)
#include "tst_ShippedLanguages.moc"
