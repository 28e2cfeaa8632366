#include <wx/msgdlg.h>
#include <wx/intl.h>

#include "app/vitrel_frame.h"

namespace {
wxString Translated(const char* key)
{
    return wxGetTranslation(key);
}
}  // namespace

bool ConfirmAction(const char* message, const char* caption)
{
    return ConfirmAction(Translated(message), caption);
}

bool ConfirmAction(const wxString& shownMessage, const char* caption)
{
    wxMessageDialog box(nullptr, shownMessage, Translated(caption), wxOK | wxCANCEL);
    return box.ShowModal() == wxID_OK;
}

void ShowNotice(const char* message, const char* caption)
{
    ShowNotice(Translated(message), caption);
}

void ShowNotice(const wxString& shownMessage, const char* caption)
{
    wxMessageDialog box(nullptr, shownMessage, Translated(caption), wxOK);
    box.ShowModal();
}

int AskYesNo(const char* message, const char* caption, bool cancellable)
{
    wxMessageDialog box(nullptr, Translated(message), Translated(caption),
                        wxYES_NO | (cancellable ? wxCANCEL : 0));
    return box.ShowModal();
}
