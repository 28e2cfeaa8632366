#pragma once

// Where the program's files are. The rest of the program names them as they
// lie in a portable folder: bare data file names ("AdvancedSettings.xml") and
// resource paths written with backslashes ("share\\HumanBodyFront.png").
// This unit maps those names to real paths; nothing else does.
//
// Two ways to run, decided once at start-up:
// - portable: the working folder holds "VitrelTreatmentsList.xml" and share/,
//   and no InstallationMarker; every name stays relative to it;
// - installed: read-only files come from the installation's data folder, and
//   the files the program writes live in the user's data folder. A bare data
//   file the user puts there ("VitrelTreatmentsList.xml",
//   "VitrelFrequencyMeasurement.csv") wins over the shipped one.

#include <string>

#include <wx/bitmap.h>
#include <wx/string.h>

struct ResourceLayout {
    bool installed = false;
    wxString dataFolder;  // the shipped files (installed only)
    wxString userFolder;  // the files the program writes (installed only)
};

// The user's data folder of this program: $XDG_DATA_HOME/vitrel (by default
// ~/.local/share/vitrel) on Linux, %APPDATA%\Vitrel on Windows.
wxString UserDataFolder();

// The installation's data folder for an executable at `executablePath`:
// <prefix>/share/vitrel when it lies in <prefix>/bin, else its own folder
// (a Windows installation keeps its data beside the program).
wxString InstalledDataFolder(const wxString& executablePath);

// The file an installer lays into the installation folder. The installation
// has the layout of a portable folder but is not writable for its users, so a
// program started there (a double click on the program in Explorer) must run
// as installed.
extern const char* const InstallationMarker;

// The layout for a program started in `workingFolder`.
ResourceLayout ChooseResourceLayout(const wxString& workingFolder, const wxString& executablePath,
                                    const wxString& userFolder);

// The real path of `name` under `layout`.
wxString MapResourcePath(const ResourceLayout& layout, const char* name);

// True when `path` is one of the program's own data files (the treatments
// list, the frequency table, the diary, the advanced settings file) or lies in
// a folder of the program's (share/, docs/, and when installed the data folder
// and the user's data folder): an export must never replace such a file.
bool IsProgramFile(const ResourceLayout& layout, const wxString& path);
bool IsProgramFile(const wxString& path);

// Decides the layout from the working folder, the executable's location and
// the environment, and uses it. Until this is called, every name stays
// relative to the working folder.
void SetUpResourceLayout();
// Uses `layout` from now on, creating the user's data folder (readable by the
// user alone) when installed.
void UseResourceLayout(const ResourceLayout& layout);

// The folder of the files the program writes under the current layout: the
// working folder when portable, the user's data folder when installed.
wxString UserFilesFolder();

// `path` as 8-bit text for the C library and tinyxml2: the file name
// conversion the toolkit used to turn the native name into text (UTF-8 under
// GTK, not the C library's locale, which is "C"). False, and `converted` left
// as it was, when the name has no such form.
bool ToFilePath(const wxString& path, std::string& converted);

// `name` mapped under the current layout: for the toolkit, and in the file
// name encoding for the C library and tinyxml2 (empty when it has none).
wxString ResourcePath(const char* name);
std::string ResourceFilePath(const char* name);
// The diary, "DiaryHistoryDB.xml", mapped as ResourceFilePath maps it.
std::string DiaryFilePath();

// A picture or video with words in it has a copy for each language the
// program speaks, drawn by tools/make-resources: "share\\de\\MagneticPulses.PNG"
// for "share\\MagneticPulses.PNG". The path of that copy when the program
// speaks its language, else ResourcePath(name).
wxString LocalizedResourcePath(const char* name);

// The help document shown by the Help menu, in English.
extern const char* const HelpDocument;

// The help document in `language` ("de", "de_DE"; empty for English): the
// book of another language lies in a folder of that language's name beside
// the English one (docs\de\VitrelHelp.htb). Without one, the English book.
wxString HelpDocumentPath(const wxString& language);

// A picture from the share folder, in the copy for the user's language when
// there is one (share\<lang>\<file>); an empty bitmap, without any message
// box, when the file is missing or unreadable.
wxBitmap LoadResourceBitmap(const char* name);

// One text naming every file the program ships that cannot be found, with
// the path where it was looked for; empty when all are there.
wxString MissingResourcesMessage();
