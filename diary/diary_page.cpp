// Diary page: the history list and composing entries.
#include <wx/listctrl.h>

#include "app/vitrel_frame.h"

void wxVitrelFrame::RefreshHistoryList(const char*) {}
void wxVitrelFrame::OnHistoryItemActivated(wxListEvent&) {}
void wxVitrelFrame::OnHistoryColumnEndDrag(wxListEvent& event) { event.Skip(); }
void wxVitrelFrame::OnDiaryNewClick(wxCommandEvent&) {}
void wxVitrelFrame::OnDiarySaveClick(wxCommandEvent&) {}
