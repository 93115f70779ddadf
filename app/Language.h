// The user's interface language. English and Chinese have translations;
// every other language, and C, sees the program's texts as they stand.
#pragma once

#include <QString>

// "en", "zh_CN", or empty for the texts as they stand: from TAVELIN_LANG
// where it is set (a locale name, or C), else the system's first interface
// language.
QString UserLanguage();

// Installs the program's and Qt's translations for `language` (as
// UserLanguage gives it), replacing those installed before.
void UseLanguage(const QString& language);
