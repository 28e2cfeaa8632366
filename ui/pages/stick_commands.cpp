// The commands the pages give the stick session: write a programme from
// either page, read it back, switch the field off and the beeper on or off;
// and what the user is told when the session could not send them.

#include "ui/pages/stick_commands.h"

#include <wx/datetime.h>
#include <wx/intl.h>

#include "device/device_link.h"
#include "device/instruction.h"
#include "device/stick_session.h"
#include "treatments/stick_programme.h"
#include "treatments/treatment_catalogue.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"
#include "ui/widgets/message_boxes.h"
#include "ui/widgets/stick_area_panel.h"

const char* const ProgramCaption = wxTRANSLATE("Program Vitrel Device");
const char* const WriteFailedNotice =
    wxTRANSLATE("Writing to the Vitrel stick failed: it did not take everything that was sent. Check that "
                "it is plugged in and try again.");
const char* const NotConfirmedNotice =
    wxTRANSLATE("The Vitrel stick did not confirm the programme that was written to it. Please write the "
                "programme again.");

namespace {
// Texts of the message boxes, looked up for translation when shown.
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

// Tells the user why a command to the stick did nothing.
void TellStickResult(StickSession::Result result, const char* nothingDoneNotice, const char* caption)
{
    if (result == StickSession::Result::NoStick)
        ShowNotice(nothingDoneNotice, caption);
    else if (result == StickSession::Result::WriteFailed)
        ShowNotice(WriteFailedNotice, caption);
}

}  // namespace

bool TreatmentsPage::WriteToStick(StickSession& session)
{
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return false;
    const TreatmentRecord* picked = PickedTreatment();
    if (picked == nullptr)
        return false;
    const FiringPattern& pattern = picked->Pattern;

    // The frames are made from the record, from the same texts and states
    // the page is about to show, and go out before the page changes: making
    // 250 slot boxes takes a good part of the time the line needs to carry
    // them. One SetSlotTimer frame and one SetSlotPattern frame, one write.
    double slotFrequency = 0.0;
    unsigned char timer[3];
    bool written = false;
    if (pattern.FitsDevice()
        && ParsePatternReal(FormatPatternReal(pattern.NumberOfSlots * pattern.BaseFrequency), slotFrequency)
        && session.Link().EncodeSlotFrequency(slotFrequency, timer[0], timer[1], timer[2])) {
        const StickSession::Result result =
            session.WriteProgramme(timer, BuildSlotStateBytes(pattern), pattern,
                                   StickSession::Writes::Together, SteadyMilliseconds());
        written = result == StickSession::Result::Done;
        TellStickResult(result, NothingWrittenNotice, ProgramCaption);
    }
    if (applyPattern)
        applyPattern(pattern);
    if (!pattern.FitsDevice())
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
    return written;
}

bool AdvancedSettingsPage::WriteToStick(StickSession& session)
{
    // A click right after leaving Number of Slots comes before the rebuild
    // of the boxes that leaving set off.
    FinishPendingSlotRebuild();
    const double baseFrequency = BaseFrequency();
    const double slots = SlotCount();
    if (!ConfirmAction(ProgramQuestion, ProgramCaption))
        return false;
    if (!ShowsOnePattern()) {
        ShowNotice(UnclearPatternNotice, ProgramCaption);
        return false;
    }
    if (!FiringPattern::FitsDevice(baseFrequency, slots)) {
        ShowNotice(SlotFrequencyLimitNotice, ProgramCaption);
        return false;
    }
    unsigned char timer[3];
    if (!session.Link().EncodeSlotFrequency(SlotFrequency(), timer[0], timer[1], timer[2]))
        return false;
    const FiringPattern written = WorkingPattern();
    const StickSession::Result result =
        session.WriteProgramme(timer, BuildSlotStateBytes(written), written,
                               StickSession::Writes::FrameByFrame, SteadyMilliseconds());
    TellStickResult(result, NothingWrittenNotice, ProgramCaption);
    return result == StickSession::Result::Done;
}

void AdvancedSettingsPage::ReadFromStick(StickSession& session)
{
    if (!ConfirmAction("Do you want to read program from Vitrel device?", ReadCaption))
        return;
    // The reply is shown when it arrives.
    TellStickResult(session.Read(SteadyMilliseconds()), NothingReadNotice, ReadCaption);
}

bool TopStrip::TurnOff(StickSession& session)
{
    if (!ConfirmAction("Would you like to turn of magnetic field generation?", TurnOffCaption))
        return false;
    if (session.TurnOff() != StickSession::Result::Done) {
        ShowNotice(WriteFailedNotice, TurnOffCaption);
        return false;
    }
    StickArea().ShowFieldOff(wxDateTime::Now().Format("%H:%M"));
    return true;
}

void TopStrip::SendBeeper(StickSession& session)
{
    const bool on = BeeperChecked();
    if (session.SetBeeper(on) == StickSession::Result::Done)
        return;
    // The box shows the stick's state: it goes back before the user reads why.
    ShowBeeper(!on);
    ShowNotice(WriteFailedNotice, BeeperCaption);
}
