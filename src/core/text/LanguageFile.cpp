#include "core/text/LanguageFile.h"

#include "core/Error.h"
#include "core/files/Paths.h"
#include "core/files/RegularFile.h"
#include "core/text/Catalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>

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
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeWindows1252(bytes.constData(), bytes.size());
}

namespace {

// A line is read as a view: into the file's own bytes when it is UTF-8 or Windows-1252, into the
// decoded text when it is UTF-16. Only the value stored in the catalogue is ever decoded. Every
// character the rules look at ("STR", "=", "/#/", digits, blanks up to U+0020) is ASCII, and in
// both 8-bit encodings an ASCII byte always stands for that character, so the rules read the same
// on bytes as on decoded text.
// Decodes part of a UTF-8 file. QString::fromUtf8 drops a byte-order mark at the start of what
// it decodes; inside a file the mark is a character and is kept.
QString utf8Text(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(
        QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

template <class Line> std::optional<int> parseIndex(Line t);
template <class Line> Line trimmedLine(Line line);

// The index of an entry line whose "=" is at `eq` (0-based). Index text: positions 4 to p - 2
// (1-based, p the position of "="), so the character just before "=" never counts.
template <class Line> std::optional<int> indexBefore(Line line, qsizetype eq)
{
    const qsizetype indexLength = eq - 4;
    if (indexLength <= 0)
        return std::nullopt;
    return parseIndex(trimmedLine(line.sliced(3, indexLength)));
}

struct Utf16Line
{
    QStringView text;
    static constexpr QStringView Pilcrow = u"\u00B6";
    qsizetype size() const { return text.size(); }
    char16_t at(qsizetype i) const { return text[i].unicode(); }
    Utf16Line sliced(qsizetype from, qsizetype n) const { return { text.sliced(from, n) }; }
    qsizetype indexOf(QLatin1StringView what) const { return text.indexOf(what); }
    qsizetype indexOfPilcrow() const { return text.indexOf(Pilcrow); }
    bool startsWithPilcrow() const { return text.startsWith(Pilcrow); }
    qsizetype pilcrowSize() const { return 1; }
    QString toString() const { return text.toString(); }
    std::optional<int> index(qsizetype eq) const { return indexBefore(*this, eq); }
};

template <bool Utf8> struct ByteLine
{
    QByteArrayView text;
    static constexpr QByteArrayView Pilcrow = Utf8 ? QByteArrayView("\xC2\xB6", 2) : QByteArrayView("\xB6", 1);
    qsizetype size() const { return text.size(); }
    char16_t at(qsizetype i) const { return static_cast<unsigned char>(text[i]); }
    ByteLine sliced(qsizetype from, qsizetype n) const { return { text.sliced(from, n) }; }
    qsizetype indexOf(QLatin1StringView what) const { return text.indexOf(QByteArrayView(what.data(), what.size())); }
    qsizetype indexOfPilcrow() const { return text.indexOf(Pilcrow); }
    bool startsWithPilcrow() const { return text.startsWith(Pilcrow); }
    qsizetype pilcrowSize() const { return Pilcrow.size(); }
    QString toString() const { return Utf8 ? utf8Text(text) : decodeWindows1252(text.data(), text.size()); }
    // The character dropped before "=" is one UTF-16 unit of the decoded text. Where the index
    // text is not plain ASCII it is decoded first (it is cut at ASCII bytes, so it decodes as it
    // does within the whole file) and read by the decoded text's rule.
    std::optional<int> index(qsizetype eq) const
    {
        if (Utf8) {
            const QByteArrayView indexBytes = text.first(eq).sliced(std::min<qsizetype>(3, eq));
            if (!std::all_of(indexBytes.begin(), indexBytes.end(), [](char c) { return uchar(c) < 0x80; })) {
                const QString decoded = QStringLiteral("STR") + utf8Text(indexBytes);
                return indexBefore(Utf16Line { decoded }, decoded.size());
            }
        }
        return indexBefore(*this, eq);
    }
};

template <class Line> Line trimmedLine(Line line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin) <= 0x20)
        ++begin;
    while (end > begin && line.at(end - 1) <= 0x20)
        --end;
    return line.sliced(begin, end - begin);
}

QStringView trimmedView(QStringView text)
{
    return trimmedLine(Utf16Line { text }).text;
}

template <class Line> std::optional<int> parseIndex(Line t)
{
    bool negative = false;
    if (t.size() > 0 && (t.at(0) == u'+' || t.at(0) == u'-')) {
        negative = t.at(0) == u'-';
        t = t.sliced(1, t.size() - 1);
    }
    int base = 10;
    if (t.size() > 0 && t.at(0) == u'$') {
        base = 16;
        t = t.sliced(1, t.size() - 1);
    } else if (t.size() > 1 && t.at(0) == u'0' && (t.at(1) == u'x' || t.at(1) == u'X')) {
        base = 16;
        t = t.sliced(2, t.size() - 2);
    }
    if (t.size() == 0)
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t.at(i);
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
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

template <class Line> bool applyLine(Line rawLine, QStringList &catalogue)
{
    const Line line = trimmedLine(rawLine);
    if (line.size() < 3 || line.at(0) != u'S' || line.at(1) != u'T' || line.at(2) != u'R')
        return false;
    const qsizetype eq = line.indexOf(QLatin1StringView("=")); // 0-based; the format's position p is eq + 1
    if (eq < 0)
        return false;
    const std::optional<int> index = line.index(eq);
    if (!index || *index < 0 || *index >= Msg_Catalogue_Size || *index >= catalogue.size())
        return false;

    Line value = trimmedLine(line.sliced(eq + 1, line.size() - eq - 1));
    if (value.size() == 0)
        return false;
    const qsizetype comment = value.indexOf(QLatin1StringView("/#/"));
    if (comment >= 0) {
        value = trimmedLine(value.sliced(0, comment));
        if (value.size() == 0)
            return false; // only a comment: the entry keeps its text
    }
    if (value.startsWithPilcrow())
        value = value.sliced(value.pilcrowSize(), value.size() - value.pilcrowSize());
    const qsizetype pilcrow = value.indexOfPilcrow();
    if (pilcrow >= 0)
        value = value.sliced(0, pilcrow);
    catalogue[*index] = value.toString();
    return true;
}

char16_t codeUnit(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t codeUnit(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

// Calls `apply` for each non-empty line of `text`; lines end with CR, LF or CR LF.
template <class Text, class Apply> void forEachLine(Text text, Apply apply)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    const auto unit = [&text](qsizetype i) { return codeUnit(text, i); };
    for (qsizetype i = 0; i <= n; ++i) {
        const char16_t c = i < n ? unit(i) : u'\n';
        if (c == u'\r' || c == u'\n') {
            if (i > start)
                apply(text.sliced(start, i - start));
            if (i < n - 1 && c == u'\r' && unit(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
}

// The file's bytes after a UTF-8 byte-order mark; a line's value is decoded as UTF-8 on its own,
// which gives the same characters as decoding the whole file since lines are cut at ASCII bytes.
void readUtf8(QByteArrayView bytes, QStringList &catalogue)
{
    forEachLine(bytes, [&catalogue](QByteArrayView line) { applyLine(ByteLine<true> { line }, catalogue); });
}

void readWindows1252(QByteArrayView bytes, QStringList &catalogue)
{
    forEachLine(bytes, [&catalogue](QByteArrayView line) { applyLine(ByteLine<false> { line }, catalogue); });
}

} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const unsigned char *const end = p + bytes.size();
    while (p < end) {
        // Plain ASCII, eight bytes at a time.
        while (end - p >= 8) {
            quint64 chunk;
            std::memcpy(&chunk, p, 8);
            if (chunk & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        // Lead bytes and the range of the byte after them (RFC 3629): no overlong forms, no
        // surrogates, nothing above U+10FFFF.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

QString trimBlanks(const QString &text)
{
    const QStringView trimmed = trimmedView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

std::optional<int> parseLanguageIndex(const QString &text)
{
    return parseIndex(Utf16Line { text });
}

bool applyLanguageLine(const QString &rawLine, QStringList &catalogue)
{
    return applyLine(Utf16Line { rawLine }, catalogue);
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
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        // Decoding the text after the mark drops a second mark right after it too.
        const QByteArrayView text = view.sliced(3);
        return readUtf8(text.startsWith("\xEF\xBB\xBF") ? text.sliced(3) : text, catalogue);
    }
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF"))
        return readLanguageText(decodeLanguageText(bytes), catalogue);
    // Without a mark, valid UTF-8 is taken as such and anything else as Windows-1252, as
    // decodeLanguageText decides.
    if (isValidUtf8(view))
        readUtf8(view, catalogue);
    else
        readWindows1252(view, catalogue);
}

void readLanguageText(const QString &text, QStringList &catalogue)
{
    forEachLine(QStringView(text), [&catalogue](QStringView line) { applyLine(Utf16Line { line }, catalogue); });
}

bool isLanguageName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QLatin1String(".."))
        && !name.contains(QChar(0));
}

LoadedLanguage loadLanguage(const QString &languageFolder, const QString &language, QStringList &catalogue)
{
    Default_Messages(catalogue);
    const QString fallback = QString::fromLatin1(DefaultLanguage);
    const QString file = joinPath(languageFolder, language + QStringLiteral(".lng"));
    if (isLanguageName(language) && QFileInfo(file).isFile()) {
        // A file that cannot be read leaves the default texts.
        return { language, Read_Lang_File(file, catalogue) ? language : fallback };
    }
    const QString fallbackFile = joinPath(languageFolder, fallback + QStringLiteral(".lng"));
    if (QFileInfo(fallbackFile).isFile())
        Read_Lang_File(fallbackFile, catalogue);
    return { fallback, fallback };
}

} // namespace sw
