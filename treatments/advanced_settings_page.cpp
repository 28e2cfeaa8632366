// Advanced Settings page: the field rules, the slot boxes and the pattern file.
#include "app/vitrel_frame.h"

void wxVitrelFrame::SaveAdvancedSettings(const char*) {}
void wxVitrelFrame::LoadAdvancedSettings(const char*) {}
void wxVitrelFrame::RebuildSlotBoxes(int) {}
void wxVitrelFrame::RefreshSlotPattern() {}
std::vector<unsigned char> wxVitrelFrame::BuildSlotStateBytes() const { return {}; }
void wxVitrelFrame::OnBaseFrequencyKillFocus(wxFocusEvent& event) { event.Skip(); }
void wxVitrelFrame::OnBaseFrequencyEnter(wxCommandEvent&) {}
void wxVitrelFrame::OnBaseTimePeriodKillFocus(wxFocusEvent& event) { event.Skip(); }
void wxVitrelFrame::OnBaseTimePeriodEnter(wxCommandEvent&) {}
void wxVitrelFrame::OnSlotCountKillFocus(wxFocusEvent& event) { event.Skip(); }
void wxVitrelFrame::OnSlotCountEnter(wxCommandEvent&) {}
void wxVitrelFrame::OnExportXmlClick(wxCommandEvent&) {}
void wxVitrelFrame::OnImportXmlClick(wxCommandEvent&) {}
