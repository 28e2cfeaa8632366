#include "ui/widgets/export_file.h"

#include <algorithm>

#include <wx/filedlg.h>
#include <wx/intl.h>

#include "ui/common/resource_path.h"
#include "ui/widgets/message_boxes.h"

bool ChooseExportFile(wxFileDialog& dialog, const std::vector<wxString>& extensions,
                      const wxString& programFileNotice, const char* caption, ExportFile& chosen)
{
    if (dialog.ShowModal() != wxID_OK)
        return false;
    // The import of a pattern lists *.xml files only, and the diary's kind
    // follows its name: a name without an extension gets the kind's.
    wxFileName file(dialog.GetPath());
    if (file.GetExt().empty()) {
        const int last = static_cast<int>(extensions.size()) - 1;
        file.SetExt(extensions[std::clamp(dialog.GetFilterIndex(), 0, last)]);
    }
    // Never over the catalogue, the diary or another file of the program's.
    if (IsProgramFile(file.GetFullPath())) {
        ShowNotice(wxString::Format(programFileNotice, file.GetFullPath()), caption);
        return false;
    }
    // Asked here, not by the dialog: the extension added above may name an
    // existing file too.
    if (file.FileExists()
        && !ConfirmAction(
            // TRANSLATORS: %s is the file's name, without its folder.
            wxString::Format(_("%s already exists. Do you want to replace it?"), file.GetFullName()),
            caption))
        return false;
    chosen.name = file;
    chosen.path.clear();
    ToFilePath(file.GetFullPath(), chosen.path);
    return true;
}
