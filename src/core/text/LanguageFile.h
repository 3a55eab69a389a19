#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace sw {

// Decodes the bytes of a language file: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE;
// without one, bytes that are valid UTF-8 are read as UTF-8 and any others as Windows-1252, so
// that a file reads the same on every platform.
QString decodeLanguageText(const QByteArray &bytes);

// Trims blanks and control characters (every character up to U+0020) at both ends.
QString trimBlanks(const QString &text);

// The index of an entry line's index text: optional sign, decimal digits, or hexadecimal after
// "$" or "0x". nullopt when it is none of these or does not fit in 32 bits.
std::optional<int> parseLanguageIndex(const QString &text);

// Applies one line of a language file to the catalogue. Returns true when it set an entry.
bool applyLanguageLine(const QString &line, QStringList &catalogue);

// Applies the lines of a language file's bytes to the catalogue; lines end with CR, LF or CR LF.
// The result is that of readLanguageText(decodeLanguageText(bytes)), without decoding the file.
void readLanguageBytes(const QByteArray &bytes, QStringList &catalogue);

// Applies the lines of a decoded language file to the catalogue.
void readLanguageText(const QString &text, QStringList &catalogue);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF),
// as Qt's decoder judges them.
bool isValidUtf8(QByteArrayView bytes);

// Reads the language file at `path` into the catalogue, line by line; later lines win.
// A file that cannot be read changes nothing. Returns whether the file was read.
bool Read_Lang_File(const QString &path, QStringList &catalogue);

// Whether `name` can name a file in the language folder: not empty, no path separator, no "..".
// A settings file could otherwise point the program at a file anywhere.
bool isLanguageName(const QString &name);

// What loadLanguage took: the language chosen (the one asked for, or DefaultLanguage when its file
// is missing or it is no language name) and the language whose texts the catalogue now holds
// (DefaultLanguage also when the chosen file could not be read).
struct LoadedLanguage
{
    QString chosen;
    QString onScreen;
};

// Rebuilds the catalogue from the defaults and overlays the language file of `language` in
// `languageFolder`, or that of DefaultLanguage where `language` has none or is no language name.
LoadedLanguage loadLanguage(const QString &languageFolder, const QString &language, QStringList &catalogue);

} // namespace sw
