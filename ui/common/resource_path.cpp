#include "ui/common/resource_path.h"
#include "ui/common/translations.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#ifdef __WINDOWS__
const char* const HelpDocument = "docs\\VitrelHelp.chm";
#else
const char* const HelpDocument = "docs\\VitrelHelp.htb";
#endif

const char* const InstallationMarker = "VitrelInstallation.txt";

namespace {
ResourceLayout currentLayout;

// The files the program writes: always in the user's folder when installed.
bool IsWrittenFile(const wxString& name)
{
    return name == "AdvancedSettings.xml" || name == "DiaryHistoryDB.xml";
}

wxString Join(const wxString& folder, const wxString& relative)
{
    return folder.EndsWith(wxFILE_SEP_PATH) ? folder + relative : folder + wxFILE_SEP_PATH + relative;
}

// Everything the program ships and loads at some point.
const char* const ShippedFiles[] = {"share\\VitrelIcon24x24.ico",  "share\\HumanBodyFront.png",
                                    "share\\HumanBodyBack.png",    "share\\HumanBodySideL.png",
                                    "share\\VitrelFrontPanel.png", "share\\MagneticPulses.PNG",
                                    "share\\VitrelUSB.avi",        HelpDocument,
                                    "VitrelTreatmentsList.xml",    "VitrelFrequencyMeasurement.csv",
                                    "share\\BodySpots.csv"};
}  // namespace

#ifndef __WINDOWS__
namespace {
// A folder named by an environment variable. Its bytes are a file name:
// decode them as the toolkit decodes file names (wxGetEnv uses the C
// locale, which keeps no name with letters beyond ASCII).
wxString EnvironmentFolder(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? wxString(value, *wxConvFileName) : wxString();
}
}  // namespace
#endif

wxString UserDataFolder()
{
#ifdef __WINDOWS__
    // GetUserConfigDir is the roaming application data folder (%APPDATA%).
    return Join(wxStandardPaths::Get().GetUserConfigDir(), "Vitrel");
#else
    // A relative XDG_DATA_HOME is invalid and is ignored.
    wxString base = EnvironmentFolder("XDG_DATA_HOME");
    if (!wxIsAbsolutePath(base)) {
        wxString home = EnvironmentFolder("HOME");
        if (home.empty())
            home = wxFileName::GetHomeDir();
        base = Join(home, ".local/share");
    }
    return Join(base, "vitrel");
#endif
}

wxString InstalledDataFolder(const wxString& executablePath)
{
    wxFileName folder = wxFileName::DirName(wxFileName(executablePath).GetPath());
    if (folder.GetDirCount() > 0 && folder.GetDirs().Last() == "bin") {
        folder.RemoveLastDir();
        folder.AppendDir("share");
        folder.AppendDir("vitrel");
    }
    return folder.GetPath();
}

ResourceLayout ChooseResourceLayout(const wxString& workingFolder, const wxString& executablePath,
                                    const wxString& userFolder)
{
    if (wxFileExists(Join(workingFolder, "VitrelTreatmentsList.xml"))
        && wxDirExists(Join(workingFolder, "share"))
        && !wxFileExists(Join(workingFolder, InstallationMarker)))
        return ResourceLayout();
    return ResourceLayout {true, InstalledDataFolder(executablePath), userFolder};
}

wxString MapResourcePath(const ResourceLayout& layout, const char* name)
{
    wxString relative(name);
    relative.Replace("\\", wxString(wxFILE_SEP_PATH));
    if (!layout.installed)
        return relative;
    const bool bare = relative.find(wxFILE_SEP_PATH) == wxString::npos;
    if (bare && (IsWrittenFile(relative) || wxFileExists(Join(layout.userFolder, relative))))
        return Join(layout.userFolder, relative);
    return Join(layout.dataFolder, relative);
}

bool IsProgramFile(const ResourceLayout& layout, const wxString& path)
{
    const wxFileName chosen(path);
    for (const char* name : {"VitrelTreatmentsList.xml", "VitrelFrequencyMeasurement.csv",
                             "DiaryHistoryDB.xml", "AdvancedSettings.xml"})
        if (chosen.SameAs(wxFileName(MapResourcePath(layout, name))))
            return true;
    // The folders that hold nothing but the program's own files.
    std::vector<wxFileName> folders = {wxFileName::DirName(MapResourcePath(layout, "share")),
                                       wxFileName::DirName(MapResourcePath(layout, "docs"))};
    if (layout.installed) {
        folders.push_back(wxFileName::DirName(layout.dataFolder));
        folders.push_back(wxFileName::DirName(layout.userFolder));
    }
    for (wxFileName folder = wxFileName::DirName(chosen.GetPath());; folder.RemoveLastDir()) {
        for (const wxFileName& own : folders)
            if (folder.SameAs(own))
                return true;
        if (folder.GetDirCount() == 0)
            return false;
    }
}

bool IsProgramFile(const wxString& path)
{
    return IsProgramFile(currentLayout, path);
}

void SetUpResourceLayout()
{
    UseResourceLayout(
        ChooseResourceLayout(wxGetCwd(), wxStandardPaths::Get().GetExecutablePath(), UserDataFolder()));
}

void UseResourceLayout(const ResourceLayout& layout)
{
    currentLayout = layout;
    if (currentLayout.installed && !wxDirExists(currentLayout.userFolder)) {
        // Without the folder the program still runs; its saves fail quietly.
        wxLogNull quiet;
        wxFileName::Mkdir(currentLayout.userFolder, 0700, wxPATH_MKDIR_FULL);
    }
}

wxString UserFilesFolder()
{
    return currentLayout.installed ? currentLayout.userFolder : wxGetCwd();
}

wxString ResourcePath(const char* name)
{
    return MapResourcePath(currentLayout, name);
}

bool ToFilePath(const wxString& path, std::string& converted)
{
    // What fn_str() gives where file names are 8-bit; on Windows fn_str() is
    // the wide name, which the C library's fopen cannot take.
    const auto text = path.mb_str(wxConvFile);
    if (text.data() == nullptr || text.length() != std::strlen(text.data())
        || (text.length() == 0 && !path.empty()))
        return false;
    converted.assign(text.data(), text.length());
    return true;
}

std::string ResourceFilePath(const char* name)
{
    std::string path;
    ToFilePath(ResourcePath(name), path);
    return path;
}

std::string DiaryFilePath()
{
    return ResourceFilePath("DiaryHistoryDB.xml");
}

wxString HelpDocumentPath(const wxString& language)
{
    // "de_DE" looks in docs\de_DE, then in docs\de.
    const wxString english = ResourcePath(HelpDocument);
    wxString folder = language;
    while (!folder.empty()) {
        wxFileName book(english);
        book.AppendDir(folder);
        if (book.FileExists())
            return book.GetFullPath();
        folder = folder.Contains("_") ? folder.BeforeFirst('_') : wxString();
    }
    return english;
}

wxString LocalizedResourcePath(const char* name)
{
    const std::string english(name);
    const size_t file = english.rfind('\\') + 1;
    wxString language = TranslationLanguage();
    while (!language.empty()) {
        const std::string translated =
            english.substr(0, file) + language.utf8_string() + "\\" + english.substr(file);
        const wxString path = ResourcePath(translated.c_str());
        if (wxFileExists(path))
            return path;
        language = language.Contains("_") ? language.BeforeFirst('_') : wxString();
    }
    return ResourcePath(name);
}

wxBitmap LoadResourceBitmap(const char* name)
{
    const wxString path = LocalizedResourcePath(name);
    if (!wxFileExists(path))
        return wxNullBitmap;
    // A damaged file counts as missing; the image loader would open a box.
    wxLogNull quiet;
    wxImage image(path, wxBITMAP_TYPE_ANY);
    return image.IsOk() ? wxBitmap(image) : wxNullBitmap;
}

wxString MissingResourcesMessage()
{
    wxString missing;
    for (const char* name : ShippedFiles) {
        wxFileName path(ResourcePath(name));
        path.MakeAbsolute();
        if (!path.FileExists())
            missing += "\n" + path.GetFullPath();
    }
    if (missing.empty())
        return missing;
    // TRANSLATORS: %s is the list of missing files, one path per line.
    return wxString::Format(_("These files of the program could not be found, so parts of the "
                              "window stay empty:%s"),
                            missing);
}
