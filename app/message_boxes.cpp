#include <wx/msgdlg.h>
#include <wx/intl.h>

#include "app/vitrel_frame.h"

bool ConfirmAction(const wxString& message, const wxString& caption)
{
    wxMessageDialog box(nullptr, wxGetTranslation(message), wxGetTranslation(caption), wxOK | wxCANCEL);
    return box.ShowModal() == wxID_OK;
}

void ShowNotice(const wxString& message, const wxString& caption)
{
    wxMessageDialog box(nullptr, wxGetTranslation(message), wxGetTranslation(caption), wxOK);
    box.ShowModal();
}

int AskYesNo(const wxString& message, const wxString& caption, bool cancellable)
{
    wxMessageDialog box(nullptr, wxGetTranslation(message), wxGetTranslation(caption),
                        wxYES_NO | (cancellable ? wxCANCEL : 0));
    return box.ShowModal();
}
