#pragma once

// The user's language. The program's own texts (domain "vitrel") and the
// treatments catalogue's titles and descriptions (domain
// "vitrel-catalogue") are looked up in the message catalogues of the
// desktop's UI language: LANGUAGE, LC_ALL, LC_MESSAGES or LANG on Linux,
// the user's UI language on Windows. Under the C locale, or for a language
// without catalogues, the English texts show as they are written.

#include <string>

#include <wx/string.h>

// Where the compiled catalogues lie below a folder: <folder>/<lang>/LC_MESSAGES/<domain>.mo.
extern const char* const LocaleFolderName;  // "locale"

// Loads the catalogues for the user's UI language; none under the C locale.
// They are looked for in
// "locale" in the working folder (a portable folder) and beside the program
// (a Windows installation or zip, the build's run folder), then in
// <prefix>/share/locale for a program in <prefix>/bin, then where the
// toolkit looks by default. The toolkit's own catalogue ("wxstd-3.2":
// Debian's wx3.2-i18n, beside the program on Windows) is loaded too.
void LoadTranslations();

// The language whose catalogue of the program's texts is loaded ("de"), or
// empty when the English texts show as written.
wxString TranslationLanguage();

// A text of the treatments catalogue (UTF-8), translated.
wxString CatalogueText(const std::string& text);
