#include "core/text/LanguageFile.h"

#include "core/Error.h"
#include "core/files/Paths.h"
#include "core/files/RegularFile.h"
#include "core/text/Catalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <array>

namespace sw {

namespace {

// Windows-1252 characters 0x80 to 0x9F; the rest of the code page equals Latin-1. The five
// undefined positions map to the C1 control of the same value, as the platform converters do.
// clang-format off
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

constexpr QChar Pilcrow = QChar(0x00B6);

QString decodeWindows1252(const char *data, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = (b >= 0x80 && b <= 0x9F) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

} // namespace

QString decodeLanguageText(const QByteArray &bytes)
{
    const auto startsWith = [&bytes](std::initializer_list<unsigned char> bom) {
        if (bytes.size() < static_cast<qsizetype>(bom.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : bom) {
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        }
        return true;
    };
    if (startsWith({ 0xEF, 0xBB, 0xBF }))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (startsWith({ 0xFF, 0xFE }))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    if (startsWith({ 0xFE, 0xFF }))
        return QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
    // Editors on Linux save UTF-8 without a mark. Windows-1252 text with any character above 0x7F
    // is almost never valid UTF-8, so valid UTF-8 is taken as such.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes.constData(), bytes.size());
}

namespace {

// The line functions work on views into the decoded file: a line costs no copy until its value is
// stored in the catalogue.
QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

std::optional<int> parseIndex(QStringView t)
{
    bool negative = false;
    if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-')) {
        negative = t[0] == u'-';
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t = t.mid(1);
    } else if (t.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : t) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return std::nullopt;
    return static_cast<int>(value);
}

bool applyLine(QStringView rawLine, QStringList &catalogue)
{
    const QStringView line = trimmedView(rawLine);
    if (!line.startsWith(QLatin1String("STR")))
        return false;
    const qsizetype eq = line.indexOf(u'='); // 0-based; the format's position p is eq + 1
    if (eq < 0)
        return false;
    // Index text: positions 4 to p - 2 (1-based), so the character just before "=" never counts.
    const qsizetype indexLength = eq - 4;
    if (indexLength <= 0)
        return false;
    const std::optional<int> index = parseIndex(trimmedView(line.sliced(3, indexLength)));
    if (!index || *index < 0 || *index >= Msg_Catalogue_Size || *index >= catalogue.size())
        return false;

    QStringView value = trimmedView(line.sliced(eq + 1));
    if (value.isEmpty())
        return false;
    const qsizetype comment = value.indexOf(QLatin1String("/#/"));
    if (comment >= 0) {
        value = trimmedView(value.first(comment));
        if (value.isEmpty())
            return false; // only a comment: the entry keeps its text
    }
    if (value.startsWith(Pilcrow))
        value = value.sliced(1);
    const qsizetype pilcrow = value.indexOf(Pilcrow);
    if (pilcrow >= 0)
        value = value.first(pilcrow);
    catalogue[*index] = value.toString();
    return true;
}

} // namespace

QString trimBlanks(const QString &text)
{
    const QStringView trimmed = trimmedView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

std::optional<int> parseLanguageIndex(const QString &text)
{
    return parseIndex(text);
}

bool applyLanguageLine(const QString &rawLine, QStringList &catalogue)
{
    return applyLine(rawLine, catalogue);
}

bool Read_Lang_File(const QString &path, QStringList &catalogue)
{
    QByteArray bytes;
    try {
        bytes = files::readFileBytes(path); // a pipe or device in LANGUAGE must not hang the start
    } catch (const Error &) {
        return false;
    }
    readLanguageBytes(bytes, catalogue);
    return true;
}

void readLanguageBytes(const QByteArray &bytes, QStringList &catalogue)
{
    const QString text = decodeLanguageText(bytes);
    // Lines end with CR, LF or CR LF.
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || text[i] == u'\r' || text[i] == u'\n') {
            if (i > start)
                applyLine(QStringView(text).sliced(start, i - start), catalogue);
            if (i < n - 1 && text[i] == u'\r' && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
}

bool isLanguageName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QLatin1String(".."))
        && !name.contains(QChar(0));
}

void Load_Lang(ProgramValues &values)
{
    Default_Messages(values.Msg_Catalogue);
    const QString file = joinPath(values.Dir_Language, values.Language_Name + QStringLiteral(".lng"));
    if (isLanguageName(values.Language_Name) && QFileInfo(file).isFile()) {
        Read_Lang_File(file, values.Msg_Catalogue);
        return;
    }
    values.Language_Name = QString::fromLatin1(DefaultLanguage);
    const QString english = joinPath(values.Dir_Language, QStringLiteral("English.lng"));
    if (QFileInfo(english).isFile())
        Read_Lang_File(english, values.Msg_Catalogue);
}

} // namespace sw
