#include "ui/common/translations.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>
#include <wx/utils.h>

const char* const LocaleFolderName = "locale";

namespace {
const char* const ProgramDomain = "vitrel";
const char* const CatalogueDomain = "vitrel-catalogue";

wxString loadedLanguage;

// The C locale asks for the program's own texts: the keys, as the code
// writes them. An English desktop shows them the same way, for want of an
// English catalogue.
bool KeysWanted()
{
#ifdef __WINDOWS__
    return false;
#else
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        wxString value;
        if (wxGetEnv(variable, &value) && !value.empty())
            return value == "C" || value == "POSIX" || value.StartsWith("C.");
    }
    return true;
#endif
}

void LookIn(const wxFileName& folder)
{
    wxFileName locale(folder);
    locale.AppendDir(LocaleFolderName);
    locale.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(locale.GetPath());
}
}  // namespace

void LoadTranslations()
{
    if (KeysWanted())
        return;
    LookIn(wxFileName::DirName(wxFileName::GetCwd()));
    wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    LookIn(wxFileName::DirName(program.GetPath()));
    if (program.GetDirCount() > 0 && program.GetDirs().Last() == "bin") {
        wxFileName share = wxFileName::DirName(program.GetPath());
        share.RemoveLastDir();
        share.AppendDir("share");
        LookIn(share);
    }

    wxTranslations* translations = new wxTranslations;
    wxTranslations::Set(translations);
    translations->AddStdCatalog();
    if (translations->AddCatalog(ProgramDomain))
        loadedLanguage = translations->GetBestTranslation(ProgramDomain);
    translations->AddCatalog(CatalogueDomain);
}

wxString TranslationLanguage()
{
    return loadedLanguage;
}

wxString CatalogueText(const std::string& text)
{
    return wxGetTranslation(wxString::FromUTF8(text), CatalogueDomain);
}
