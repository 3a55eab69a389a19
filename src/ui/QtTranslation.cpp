#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace sw {

namespace {

// Lower case without accents: "Español" and "Espanol" name the same language.
QString plainLetters(const QString &text)
{
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c.toLower());
    }
    return out;
}

} // namespace

QLocale::Language qtLanguageFor(const QString &languageName)
{
    const QString wanted = plainLetters(languageName);
    if (wanted.isEmpty())
        return QLocale::C;
    for (const QLocale &locale :
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        if (locale.language() == QLocale::C)
            continue;
        if (plainLetters(QLocale::languageToString(locale.language())) == wanted
            || plainLetters(locale.nativeLanguageName()) == wanted)
            return locale.language() == QLocale::English ? QLocale::C : locale.language();
    }
    return QLocale::C;
}

QtTranslation::QtTranslation()
    : m_translator(new QTranslator)
{
}

QtTranslation::~QtTranslation()
{
    if (m_installed)
        QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
}

bool QtTranslation::apply(const QString &languageName)
{
    if (m_installed)
        QCoreApplication::removeTranslator(m_translator);
    m_installed = false;
    const QLocale::Language language = qtLanguageFor(languageName);
    if (language == QLocale::C)
        return false;
    // The file holds qtbase_<language>, for instance qtbase_de; a country-specific file is not needed.
    if (!m_translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    m_installed = QCoreApplication::installTranslator(m_translator);
    return m_installed;
}

} // namespace sw
