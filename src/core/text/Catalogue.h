#pragma once

#include <QStringList>

namespace sw {

// The message catalogue holds every user-visible text by index.
inline constexpr int Msg_Catalogue_Size = 1600;

// The language of the default texts, and the one taken where another cannot be loaded.
inline constexpr char DefaultLanguage[] = "English";

// Empties the catalogue and fills it with the 1600 default English texts.
void Default_Messages(QStringList &catalogue);

// The default English catalogue, built once: for tools and checks that run without a language.
const QStringList &defaultMessages();

} // namespace sw
