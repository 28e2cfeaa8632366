// The commands to the stick: write a programme from either page, read it
// back, switch the field off and the beeper on or off. The pages give what
// is written and show what comes back; the session sends it.

#include <wx/datetime.h>
#include <wx/intl.h>
#include <wx/statusbr.h>

#include "device/device_link.h"
#include "device/instruction.h"
#include "device/stick_session.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/translations.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"
#include "ui/widgets/stick_area_panel.h"

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
}  // namespace

void wxVitrelFrame::OnWriteTreatmentClick(wxCommandEvent&)
{
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return;
    const TreatmentRecord* picked = treatmentsPage->PickedTreatment();
    if (picked == nullptr)
        return;
    const FiringPattern& pattern = picked->Pattern;

    // The frames are made from the record, from the same texts and states
    // the page is about to show, and go out before the page changes: making
    // 250 slot boxes takes a good part of the time the line needs to carry
    // them. One SetSlotTimer frame and one SetSlotPattern frame, one write.
    double slotFrequency = 0.0;
    unsigned char timer[3];
    if (pattern.FitsDevice()
        && ParsePatternReal(FormatPatternReal(pattern.NumberOfSlots * pattern.BaseFrequency), slotFrequency)
        && session->Link().EncodeSlotFrequency(slotFrequency, timer[0], timer[1], timer[2])) {
        const StickSession::Result result = session->WriteProgramme(
            timer, SlotStateBytes(pattern), pattern, StickSession::Writes::Together, SteadyMilliseconds());
        if (result == StickSession::Result::Done)
            NoteWriter(CatalogueText(picked->Title));
        TellStickResult(result, NothingWrittenNotice, ProgramCaption);
    }
    advancedPage->ShowTreatment(pattern);
    if (!pattern.FitsDevice())
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
}

void wxVitrelFrame::OnAdvancedWriteClick(wxCommandEvent&)
{
    // A click right after leaving Number of Slots comes before the rebuild
    // of the boxes that leaving set off.
    advancedPage->FinishPendingSlotRebuild();
    const double baseFrequency = advancedPage->BaseFrequency();
    const double slots = advancedPage->SlotCount();
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return;
    if (!advancedPage->ShowsOnePattern()) {
        ShowNotice(UnclearPatternNotice, ProgramCaption);
        return;
    }
    if (!FiringPattern::FitsDevice(baseFrequency, slots)) {
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
        return;
    }
    unsigned char timer[3];
    if (!session->Link().EncodeSlotFrequency(advancedPage->SlotFrequency(), timer[0], timer[1], timer[2]))
        return;
    const FiringPattern written = advancedPage->WorkingPattern();
    const StickSession::Result result = session->WriteProgramme(
        timer, SlotStateBytes(written), written, StickSession::Writes::FrameByFrame, SteadyMilliseconds());
    if (result == StickSession::Result::Done)
        NoteWriter(wxString());
    TellStickResult(result, NothingWrittenNotice, ProgramCaption);
}

// What the diary's note of a write names once the check confirms it: the
// treatment written from the Treatments page (empty: a custom pattern from
// the Advanced Settings page), and the body spot chosen there as the write
// went out.
void wxVitrelFrame::NoteWriter(const wxString& treatment)
{
    writtenTreatment = treatment;
    writtenSpot = treatmentsPage->ChosenSpotName();
}

void wxVitrelFrame::OnReadDeviceClick(wxCommandEvent&)
{
    if (!ConfirmAction("Do you want to read program from Vitrel device?", ReadCaption))
        return;
    // The reply is shown when it arrives.
    TellStickResult(session->Read(SteadyMilliseconds()), NothingReadNotice, ReadCaption);
}

void wxVitrelFrame::TellStickResult(StickSession::Result result, const char* nothingDoneNotice,
                                    const char* caption)
{
    if (result == StickSession::Result::NoStick)
        ShowNotice(nothingDoneNotice, caption);
    else if (result == StickSession::Result::WriteFailed)
        ShowNotice(WriteFailedNotice, caption);
}

void wxVitrelFrame::ShowCheckOutcome(ProgrammeCheck::Outcome outcome, bool tellUser)
{
    const char* notice = NotConfirmedNotice;
    switch (outcome) {
        case ProgrammeCheck::Outcome::None:
            return;
        case ProgrammeCheck::Outcome::Waiting:
            statusBar->SetStatusText(_("Checking the programme on the stick..."), CheckStatusField);
            return;
        case ProgrammeCheck::Outcome::Confirmed:
            statusBar->SetStatusText(
                wxString::Format(_("Programme written and checked, %s"), wxDateTime::Now().FormatISOTime()),
                CheckStatusField);
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
    if (session->TurnOff() != StickSession::Result::Done) {
        ShowNotice(WriteFailedNotice, TurnOffCaption);
        return;
    }
    // What the status bar said of the last write no longer holds.
    statusBar->SetStatusText(wxEmptyString, CheckStatusField);
    topStrip->StickArea().ShowFieldOff(wxDateTime::Now().Format("%H:%M"));
}

void wxVitrelFrame::OnBeeperClick(wxCommandEvent&)
{
    const bool on = topStrip->BeeperChecked();
    if (session->SetBeeper(on) == StickSession::Result::Done)
        return;
    // The box shows the stick's state: it goes back before the user reads why.
    topStrip->ShowBeeper(!on);
    ShowNotice(WriteFailedNotice, BeeperCaption);
}
