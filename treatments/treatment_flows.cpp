// Treatments page flows and the writes to the stick.
#include "app/vitrel_frame.h"

void wxVitrelFrame::OnSpotChoiceSelect(wxCommandEvent&) {}
void wxVitrelFrame::OnTreatmentListDClick(wxCommandEvent&) {}
void wxVitrelFrame::ApplyTreatmentToPattern(const TreatmentRecord&) {}
void wxVitrelFrame::OnApplyClick(wxCommandEvent&) {}
void wxVitrelFrame::OnWriteTreatmentClick(wxCommandEvent&) {}
void wxVitrelFrame::OnAdvancedWriteClick(wxCommandEvent&) {}
void wxVitrelFrame::OnReadDeviceClick(wxCommandEvent&) {}
void wxVitrelFrame::OnTurnOffClick(wxCommandEvent&) {}
void wxVitrelFrame::OnBeeperClick(wxCommandEvent&) {}
