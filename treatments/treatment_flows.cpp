// The Treatments page flows and the writes to the stick: pick a treatment,
// apply it to the Advanced Settings page, write a programme, read it back,
// switch the field off and the beeper on or off.
#include <algorithm>
#include <cmath>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datetime.h>
#include <wx/intl.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "app/control_ids.h"
#include "app/pattern_preview_control.h"
#include "app/stick_area_panel.h"
#include "app/translations.h"
#include "app/vitrel_frame.h"
#include "diary/diary_record_ui.h"
#include "device/device_link.h"
#include "device/instruction.h"
#include "device/serial.h"

namespace {
// Texts of the message boxes, looked up for translation when shown.
const char* const ProgramCaption = wxTRANSLATE("Program Vitrel Device");
const char* const ProgramQuestion = wxTRANSLATE("Do you want to set Vitrel device treatment parameters?");
const char* const SlotFrequencyLimitNotice =
    wxTRANSLATE("Maximum for slot frequency is 300Hz, please correct parameters!");
const char* const UnclearPatternNotice = wxTRANSLATE(
    "Nothing was written to the stick, because the Advanced Settings fields do not show one "
    "complete pattern: Base Frequency must be a number above zero, Number of Slots a whole "
    "number from 1 to 250 with as many slot boxes, and Slot Frequency must be Base Frequency "
    "times Number of Slots. Press Enter in the field you changed, check the values and try again.");
const char* const ReadCaption = wxTRANSLATE("Read Vitrel Device");
const char* const TurnOffCaption = wxTRANSLATE("Turn Off Device");
const char* const BeeperCaption = wxTRANSLATE("Vitrel USB Device");
const char* const NothingWrittenNotice =
    wxTRANSLATE("No Vitrel stick is attached, so nothing was written to it. Plug the stick in, wait until "
                "\"Device Attached\" shows and try again.");
const char* const NothingReadNotice =
    wxTRANSLATE("No Vitrel stick is attached, so nothing was read from it. Plug the stick in, wait until "
                "\"Device Attached\" shows and try again.");
const char* const WriteFailedNotice =
    wxTRANSLATE("Writing to the Vitrel stick failed: it did not take everything that was sent. Check that "
                "it is plugged in and try again.");
const char* const NotConfirmedNotice =
    wxTRANSLATE("The Vitrel stick did not confirm the programme that was written to it. Please write the "
                "programme again.");

// A field's number, or NaN when its text is not a number: every check below
// then fails, so nothing is sent from it.
double FieldReal(const wxTextCtrl* field)
{
    double value = 0.0;
    return ParsePatternReal(field->GetValue().utf8_string(), value) ? value : std::nan("");
}

// Whether the stick took the whole write now. The user is told at once when
// it did not, and the write is not sent later behind their back.
bool TakenAtOnce(const DeviceLink& link, const unsigned char* bytes, int length)
{
    return SerialWritePortAtOnce(link.port - 1, bytes, length) == length;
}

// The SetSlotTimer payload (lo, hi, sel) for the Slot Frequency field; false
// when that frequency cannot be sent.
bool EncodeSlotFrequencyField(const DeviceLink& link, const wxTextCtrl* field, unsigned char (&timer)[3])
{
    return link.EncodeSlotFrequency(FieldReal(field), timer[0], timer[1], timer[2]);
}
}  // namespace

void wxVitrelFrame::OnSpotChoiceSelect(wxCommandEvent&)
{
    ShowSpotFilter(spotChoice->GetSelection());
}

// The list narrowed to spot choice `selection`; the picture turns to a view
// that shows the chosen spot when the one on screen does not.
void wxVitrelFrame::ShowSpotFilter(int selection)
{
    catalogue.FillTitleList(selection, treatmentList);
    SpotFilter = selection;
    SelectShownTreatmentRow();
    const int spot = selection - 1;
    if (spot >= 1 && bodySpots.Find(bodyView, spot) == nullptr && bodySpots.ViewShowing(spot) >= 0)
        bodyView = bodySpots.ViewShowing(spot);
    ShowBodyPicture();
}

// The list highlights the treatment shown below it, when the list holds it.
void wxVitrelFrame::SelectShownTreatmentRow()
{
    const std::vector<int> rows = catalogue.Matching(SpotFilter);
    const auto row = std::find(rows.begin(), rows.end(), SelectedTreatment);
    if (row != rows.end())
        treatmentList->SetSelection(static_cast<int>(row - rows.begin()));
    else if (treatmentList->GetSelection() != wxNOT_FOUND)
        treatmentList->SetSelection(wxNOT_FOUND);
    ShowTreatmentListHint();
}

// A row highlighted by a single click is not yet the treatment that Apply and
// Write Vitrel use: the hint under the list says so while the two differ.
void wxVitrelFrame::ShowTreatmentListHint()
{
    const std::vector<int> rows = catalogue.Matching(SpotFilter);
    const int row = treatmentList->GetSelection();
    const bool differs = row >= 0 && row < static_cast<int>(rows.size()) && rows[row] != SelectedTreatment;
    treatmentListHint->SetLabel(differs ? _("Double-click a treatment to show it. Apply and Write Vitrel "
                                            "use the one shown below.")
                                        : wxString());
}

void wxVitrelFrame::OnTreatmentListSelect(wxCommandEvent&)
{
    ShowTreatmentListHint();
}

void wxVitrelFrame::OnTreatmentListDClick(wxCommandEvent& event)
{
    // Row k of the list is the k-th record the current filter shows.
    const std::vector<int> shown = catalogue.Matching(SpotFilter);
    const int row = event.GetSelection();
    if (row < 0 || row >= static_cast<int>(shown.size()))
        return;
    SelectedTreatment = shown[row];
    const TreatmentRecord& record = catalogue.Record(SelectedTreatment);
    treatmentTitle->SetLabel(CatalogueText(record.Title));
    treatmentDescription->SetValue(CatalogueText(record.Description));
    ShowPickedTreatmentPattern();
    SelectShownTreatmentRow();
}

void wxVitrelFrame::ShowPickedTreatmentPattern()
{
    treatmentPreview->ShowPattern(SelectedTreatment >= 0 && SelectedTreatment < catalogue.Count()
                                      ? catalogue.Record(SelectedTreatment).Pattern
                                      : FiringPattern());
}

void wxVitrelFrame::ApplyTreatmentToPattern(const TreatmentRecord& record)
{
    // The three derived fields always come from the record's base frequency
    // and slot count, never from its stored copies.
    FiringPattern shown;
    shown.NumberOfSlots = record.Pattern.NumberOfSlots;
    shown.DeriveFromBaseFrequency(record.Pattern.BaseFrequency, shown.NumberOfSlots);
    ShowPatternFields(shown);
    const int n = shown.NumberOfSlots;
    if (n != slotBoxes.count)
        RebuildSlotBoxes(n);
    for (int i = 0; i < n && i < slotBoxes.count; ++i)
        slotBoxes.boxes[i]->SetValue(record.Pattern.Slot[i] == 1);
}

void wxVitrelFrame::OnApplyClick(wxCommandEvent&)
{
    if (!ConfirmAction("Would you like to apply treatment settings?", "Treatment Settings"))
        return;
    if (SelectedTreatment < 0 || SelectedTreatment >= catalogue.Count())
        return;  // an empty catalogue has nothing to apply
    ApplyTreatmentToPattern(catalogue.Record(SelectedTreatment));
}

void wxVitrelFrame::OnWriteTreatmentClick(wxCommandEvent&)
{
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return;
    if (SelectedTreatment < 0 || SelectedTreatment >= catalogue.Count())
        return;
    const TreatmentRecord& record = catalogue.Record(SelectedTreatment);
    const FiringPattern& pattern = record.Pattern;

    // The frames are made from the record, from the same texts and states
    // the page is about to show, and go out before the page changes: making
    // 250 slot boxes takes a good part of the time the line needs to carry
    // them. One SetSlotTimer frame and one SetSlotPattern frame, one write.
    double slotFrequency = 0.0;
    unsigned char timer[3];
    if (pattern.FitsDevice()
        && ParsePatternReal(FormatPatternReal(pattern.NumberOfSlots * pattern.BaseFrequency), slotFrequency)
        && deviceLink->EncodeSlotFrequency(slotFrequency, timer[0], timer[1], timer[2])
        && StickAttachedFor(NothingWrittenNotice, ProgramCaption)) {
        std::vector<unsigned char> states(pattern.NumberOfSlots);
        for (int i = 0; i < pattern.NumberOfSlots; ++i)
            states[i] = pattern.Slot[i] == 1 ? SlotOn : SlotOff;
        const unsigned char count = static_cast<unsigned char>(states.size());
        int length = BuildInstructionFrame(SetSlotTimer, &timer[0], &timer[1], &timer[2], rawFrame);
        length += BuildInstructionFrame(SetSlotPattern, &count, states.data(), nullptr, rawFrame + length);
        if (WriteToStick(rawFrame, length, ProgramCaption)) {
            checkedTreatment = CatalogueText(record.Title);
            StartProgrammeCheck(timer, states, pattern);
        }
    }
    ApplyTreatmentToPattern(record);
    if (!pattern.FitsDevice())
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
}

void wxVitrelFrame::OnAdvancedWriteClick(wxCommandEvent&)
{
    // A click right after leaving Number of Slots comes before the rebuild
    // of the boxes that leaving set off.
    FinishPendingSlotRebuild();
    const double baseFrequency = FieldReal(baseFrequencyField);
    const double slots = FieldReal(slotCountField);
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return;
    if (!PageShowsOnePattern()) {
        ShowNotice(UnclearPatternNotice, ProgramCaption);
        return;
    }
    if (!FiringPattern::FitsDevice(baseFrequency, slots)) {
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
        return;
    }
    unsigned char timer[3];
    if (!EncodeSlotFrequencyField(*deviceLink, slotFrequencyField, timer))
        return;
    if (!StickAttachedFor(NothingWrittenNotice, ProgramCaption))
        return;
    const std::vector<unsigned char> states = BuildSlotStateBytes();
    const unsigned char count = static_cast<unsigned char>(states.size());
    if (!WriteToStick(rawFrame,
                      BuildInstructionFrame(SetSlotTimer, &timer[0], &timer[1], &timer[2], rawFrame),
                      ProgramCaption))
        return;
    if (WriteToStick(rawFrame,
                     BuildInstructionFrame(SetSlotPattern, &count, states.data(), nullptr, rawFrame),
                     ProgramCaption)) {
        checkedTreatment.clear();
        StartProgrammeCheck(timer, states, WorkingPattern());
    }
}

void wxVitrelFrame::OnReadDeviceClick(wxCommandEvent&)
{
    if (!ConfirmAction("Do you want to read program from Vitrel device?", ReadCaption))
        return;
    if (!StickAttachedFor(NothingReadNotice, ReadCaption))
        return;
    // The reply is shown by the device monitor when it arrives.
    if (WriteToStick(rawFrame, BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, rawFrame),
                     ReadCaption))
        programmeCheck.ReadRequested(SteadyMilliseconds());
}

bool wxVitrelFrame::StickAttachedFor(const char* nothingDoneNotice, const char* caption)
{
    if (deviceLink->port != 0)
        return true;
    ShowNotice(nothingDoneNotice, caption);
    return false;
}

bool wxVitrelFrame::WriteToStick(const unsigned char* bytes, int length, const char* caption)
{
    if (TakenAtOnce(*deviceLink, bytes, length))
        return true;
    ShowNotice(WriteFailedNotice, caption);
    return false;
}

void wxVitrelFrame::StartProgrammeCheck(const unsigned char (&timer)[3],
                                        const std::vector<unsigned char>& states,
                                        const FiringPattern& written)
{
    checkedPattern = written;
    programmeCheck.Start(timer, states, SteadyMilliseconds());
    unsigned char request[3];
    const int length = BuildInstructionFrame(ReadProgramme, nullptr, nullptr, nullptr, request);
    if (SerialWritePort(deviceLink->port - 1, request, length) != length)
        programmeCheck.Fail();
    ShowProgrammeCheckOutcome();
}

void wxVitrelFrame::TakeCheckReply(const StickProgramme* programme, bool decided)
{
    if (programme && programmeCheck.outcome() == ProgrammeCheck::Outcome::Confirmed && decided) {
        confirmedProgramme = *programme;
        confirmedPattern = checkedPattern;
        confirmedAt = wxDateTime::Now().Format("%H:%M");
    }
    // Every reply is what the stick held then; only the latest check's
    // reply ends the field-off state and changes the outcome.
    if (programme)
        ShowStickProgramme(*programme, decided);
    if (!decided)
        return;
    // A reply after the deadline follows the notice the user already has:
    // only the status bar changes.
    ShowProgrammeCheckOutcome(!programmeCheck.Late());
}

void wxVitrelFrame::ExpireProgrammeCheck()
{
    if (programmeCheck.Expire(SteadyMilliseconds()))
        ShowProgrammeCheckOutcome();
}

void wxVitrelFrame::ShowProgrammeCheckOutcome(bool tellUser)
{
    const char* notice = NotConfirmedNotice;
    switch (programmeCheck.outcome()) {
        case ProgrammeCheck::Outcome::None:
            return;
        case ProgrammeCheck::Outcome::Waiting:
            statusBar->SetStatusText(_("Checking the programme on the stick..."), CheckStatusField);
            return;
        case ProgrammeCheck::Outcome::Confirmed:
            statusBar->SetStatusText(
                wxString::Format(_("Programme written and checked, %s"), wxDateTime::Now().FormatISOTime()),
                CheckStatusField);
            diaryRecord->NoteProgramme(checkedTreatment, checkedPattern,
                                       SpotFilter >= 2 ? spotChoice->GetString(SpotFilter) : wxString(),
                                       deviceLink->port);
            return;
        case ProgrammeCheck::Outcome::Differs:
            statusBar->SetStatusText(_("Programme NOT confirmed: the stick holds another one"),
                                     CheckStatusField);
            break;
        case ProgrammeCheck::Outcome::NoReply:
            statusBar->SetStatusText(_("Programme NOT confirmed: the stick did not answer"),
                                     CheckStatusField);
            break;
        case ProgrammeCheck::Outcome::NotSent:
            statusBar->SetStatusText(_("Programme NOT confirmed: writing to the stick failed"),
                                     CheckStatusField);
            notice = WriteFailedNotice;
            break;
    }
    if (tellUser)
        PostNotice(notice, ProgramCaption);
}

void wxVitrelFrame::OnTurnOffClick(wxCommandEvent&)
{
    if (!ConfirmAction("Would you like to turn of magnetic field generation?", TurnOffCaption))
        return;
    if (!WriteToStick(rawFrame, BuildInstructionFrame(TurnOff, nullptr, nullptr, nullptr, rawFrame),
                      TurnOffCaption))
        return;
    // What the status bar said of the last write no longer holds.
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    confirmedAt.clear();
    stickArea->ShowFieldOff(wxDateTime::Now().Format("%H:%M"));
}

void wxVitrelFrame::OnBeeperClick(wxCommandEvent&)
{
    const bool on = beeperCheck->GetValue();
    const int length = BuildInstructionFrame(on ? BeeperOn : BeeperOff, nullptr, nullptr, nullptr, rawFrame);
    if (TakenAtOnce(*deviceLink, rawFrame, length))
        return;
    // The box shows the stick's state: it goes back before the user reads why.
    beeperCheck->SetValue(!on);
    ShowNotice(WriteFailedNotice, BeeperCaption);
}
