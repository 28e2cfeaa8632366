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
