#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

namespace sw {

// The locale whose Qt translations suit a language file's name: the name is a language's English
// name ("German") or its own name written without accents ("Deutsch", "Espanol"), in any case.
// QLocale::C when no language is called so, and for English, which Qt's own texts are written in.
QLocale::Language qtLanguageFor(const QString &languageName);

// Qt's own texts (standard buttons, file dialogs) in the language in use, from the Qt translations
// installed with Qt. A language without them leaves Qt's texts in English.
class QtTranslation final
{
public:
    QtTranslation();
    ~QtTranslation();
    QtTranslation(const QtTranslation &) = delete;
    QtTranslation &operator=(const QtTranslation &) = delete;

    // Replaces the installed translation by the one for `languageName`; true when one is installed.
    bool apply(const QString &languageName);

private:
    QTranslator *m_translator;
    bool m_installed = false;
};

} // namespace sw
