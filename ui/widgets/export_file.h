#pragma once

#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/string.h>

class wxFileDialog;

// The file an export is to write, as the user chose it.
struct ExportFile {
    wxFileName name;
    std::string path;  // for the C library and tinyxml2; empty when the name has no such form
};

// Asks the user, with `dialog`, where an export goes: the caller keeps the
// dialog, so that it opens again in the folder last used. A name typed
// without an extension gets that of the kind of file chosen in the dialog,
// extensions[kind]. One of the program's own files is never replaced: the
// user is told so with `programFileNotice`, a translated sentence in which %s
// is the file's full path. An existing file is replaced only when the user
// agrees. False when nothing is to be written; `caption` is the English
// caption of the boxes.
bool ChooseExportFile(wxFileDialog& dialog, const std::vector<wxString>& extensions,
                      const wxString& programFileNotice, const char* caption, ExportFile& chosen);
