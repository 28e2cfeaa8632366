// The handlers of the pages' controls: each forwards to the page, or the
// strip, that does the work, giving it the stick session where it needs one.
#include <wx/listctrl.h>
#include <wx/statusbr.h>

#include "treatments/treatment_catalogue.h"
#include "ui/common/translations.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"

void wxVitrelFrame::OnBeeperClick(wxCommandEvent&)
{
    topStrip->SendBeeper(*session);
}

void wxVitrelFrame::OnTurnOffClick(wxCommandEvent&)
{
    // What the status bar said of the last write no longer holds.
    if (topStrip->TurnOff(*session))
        statusBar->SetStatusText(wxEmptyString, CheckStatusField);
}

void wxVitrelFrame::OnSpotChoiceSelect(wxCommandEvent&)
{
    treatmentsPage->FilterByChosenSpot();
}

void wxVitrelFrame::OnTreatmentListDClick(wxCommandEvent& event)
{
    treatmentsPage->PickRow(event.GetSelection());
}

void wxVitrelFrame::OnTreatmentListSelect(wxCommandEvent&)
{
    treatmentsPage->ShowListHint();
}

void wxVitrelFrame::OnApplyClick(wxCommandEvent&)
{
    treatmentsPage->ApplyPickedTreatment();
}

void wxVitrelFrame::OnWriteTreatmentClick(wxCommandEvent&)
{
    if (treatmentsPage->WriteToStick(*session))
        RememberWriteForDiary(CatalogueText(treatmentsPage->PickedTreatment()->Title),
                              treatmentsPage->PickedSpotName());
}

void wxVitrelFrame::OnAdvancedWriteClick(wxCommandEvent&)
{
    if (advancedPage->WriteToStick(*session))
        RememberWriteForDiary(wxString(), wxString());
}

void wxVitrelFrame::OnReadDeviceClick(wxCommandEvent&)
{
    advancedPage->ReadFromStick(*session);
}

void wxVitrelFrame::OnExportXmlClick(wxCommandEvent&)
{
    advancedPage->ExportPattern();
}

void wxVitrelFrame::OnImportXmlClick(wxCommandEvent&)
{
    advancedPage->ImportPattern();
}

void wxVitrelFrame::OnBaseTimePeriodEnter(wxCommandEvent&)
{
    advancedPage->TakeBaseTimePeriod();
}

void wxVitrelFrame::OnBaseFrequencyEnter(wxCommandEvent&)
{
    advancedPage->TakeBaseFrequency();
}

void wxVitrelFrame::OnSlotCountEnter(wxCommandEvent&)
{
    advancedPage->RefreshSlotPattern();
}

void wxVitrelFrame::OnHistoryItemActivated(wxListEvent& event)
{
    diaryPage->OpenEntry(event.GetIndex());
}

void wxVitrelFrame::OnHistoryColumnEndDrag(wxListEvent& event)
{
    diaryPage->FitSummaryColumn();
    event.Skip();
}

void wxVitrelFrame::OnDiaryNewClick(wxCommandEvent&)
{
    diaryPage->NewEntry();
}

void wxVitrelFrame::OnDiarySaveClick(wxCommandEvent&)
{
    diaryPage->SaveEntry();
}

void wxVitrelFrame::OnDiaryCloseClick(wxCommandEvent&)
{
    diaryPage->CloseEntry();
}
