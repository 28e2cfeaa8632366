// Advanced Settings page: the field rules and the pattern file.
//
// The five fields and the slot boxes hold the working pattern. Every rule
// reads the fields' texts at that moment and writes its results back in the
// "%f" and "%i" forms, always with a '.' decimal point. An entry that is not
// a number above zero (the validators let "", "-", "0" and negative numbers
// through) is not taken: its field returns to its last value, so no field
// ever shows inf or nan and the fields always form one pattern.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/event.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/filename.h>
#include <wx/scrolwin.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>

#include "device/instruction.h"
#include "files/data_file.h"
#include "treatments/pattern_file.h"
#include "ui/common/resource_path.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/widgets/export_file.h"
#include "ui/widgets/message_boxes.h"
#include "ui/widgets/pattern_preview_control.h"

namespace {

// The file dialogs are made on first use: a file chooser costs about a fifth
// of the window's start-up, and most runs never open one. Each is kept once
// made, so it opens again in the folder last used; the first time it opens in
// the user's documents folder, never in the program's.
wxFileDialog* NewPatternFileDialog(wxWindow* parent, const wxString& title, long style)
{
    return new wxFileDialog(parent, title, wxStandardPaths::Get().GetDocumentsDir(), wxEmptyString, "*.xml",
                            style, wxDefaultPosition, wxDefaultSize, "wxFileDialog");
}

// The whole sentence the user is shown for each reason a pattern file was
// not exported or imported.
struct RefusalNotice {
    PatternFileRefusal refusal;
    const char* notice;
};

const RefusalNotice ExportRefusals[] = {
    {PatternFileRefusal::FileNameUnusable,
     wxTRANSLATE("The pattern could not be exported because the file name cannot be used on this "
                 "system.")},
    {PatternFileRefusal::BaseFrequencyUnusable,
     wxTRANSLATE("The pattern could not be exported because Base Frequency is too large or too "
                 "small to give a usable slot timing.")},
    {PatternFileRefusal::NotWritten,
     wxTRANSLATE("The pattern could not be exported because the file could not be written; check "
                 "that the folder exists and that you may write to it.")},
};

const RefusalNotice ImportRefusals[] = {
    {PatternFileRefusal::FileNameUnusable,
     wxTRANSLATE("The file could not be imported because the file name cannot be used on this "
                 "system. The pattern on the page has not changed.")},
    {PatternFileRefusal::Missing,
     wxTRANSLATE("The file could not be imported because it does not exist. The pattern on the "
                 "page has not changed.")},
    {PatternFileRefusal::NotRegular,
     wxTRANSLATE("The file could not be imported because it is a folder or a special file, not an "
                 "ordinary file. The pattern on the page has not changed.")},
    {PatternFileRefusal::Unreadable,
     wxTRANSLATE("The file could not be imported because it cannot be opened or read. The pattern "
                 "on the page has not changed.")},
    {PatternFileRefusal::Empty,
     wxTRANSLATE("The file could not be imported because it is empty. The pattern on the page has "
                 "not changed.")},
    {PatternFileRefusal::NotXml,
     wxTRANSLATE("The file could not be imported because it is not a well-formed XML file. The "
                 "pattern on the page has not changed.")},
    {PatternFileRefusal::NoRoot,
     wxTRANSLATE("The file could not be imported because it has no VitrelAdvancedSettings element. "
                 "The pattern on the page has not changed.")},
    {PatternFileRefusal::NoBaseFrequency,
     wxTRANSLATE("The file could not be imported because it has no BaseFrequency value. The "
                 "pattern on the page has not changed.")},
    {PatternFileRefusal::BaseFrequencyNotPositive,
     wxTRANSLATE("The file could not be imported because its BaseFrequency is not a number above "
                 "zero. The pattern on the page has not changed.")},
    {PatternFileRefusal::NoSlotCount,
     wxTRANSLATE("The file could not be imported because it has no NumberOfSlots value. The "
                 "pattern on the page has not changed.")},
    {PatternFileRefusal::SlotCountOutOfRange,
     wxTRANSLATE("The file could not be imported because its NumberOfSlots is not a whole number "
                 "from 1 to 250. The pattern on the page has not changed.")},
    {PatternFileRefusal::BaseFrequencyUnusable,
     wxTRANSLATE("The file could not be imported because its BaseFrequency is too large or too "
                 "small to give a usable slot timing. The pattern on the page has not changed.")},
};

// The translated sentence for `refusal`. A refusal without its own sentence
// still reaches the user, in English, inside a general one.
template <size_t N>
wxString RefusalText(const RefusalNotice (&notices)[N], PatternFileRefusal refusal, const char* general)
{
    for (const RefusalNotice& known : notices)
        if (refusal == known.refusal)
            return wxGetTranslation(known.notice);
    return wxString::Format(wxGetTranslation(general), wxString::FromUTF8(PatternFileRefusalText(refusal)));
}

// The one reading of a number from a field's text: false when it is not one.
bool ReadReal(const wxString& text, double& value)
{
    return ParsePatternReal(text.utf8_string(), value);
}

// A field's number, or NaN when its text is not a number: every check of a
// write then fails, so nothing is sent from it.
double RealOrNaN(const wxString& text)
{
    double value = 0.0;
    return ReadReal(text, value) ? value : std::nan("");
}

// A number above zero as its six decimals show it: 0.0000004 shows as zero.
bool ReadPositiveReal(const wxString& text, double& value)
{
    double parsed = 0.0;
    double shown = 0.0;
    if (!ReadReal(text, parsed) || !ParsePatternReal(FormatPatternReal(parsed), shown) || shown <= 0.0)
        return false;
    value = parsed;
    return true;
}

// A slot count the page can show: a whole number from 1 to MaxSlots.
bool ReadSlotCount(const wxString& text, int& count)
{
    long parsed = 0;
    if (!ParsePatternCount(text.utf8_string(), parsed) || parsed < 1 || parsed > FiringPattern::MaxSlots)
        return false;
    count = static_cast<int>(parsed);
    return true;
}

wxString RealText(double value)
{
    return wxString::FromUTF8(FormatPatternReal(value));
}

wxString CountText(int count)
{
    return wxString::FromUTF8(FormatPatternCount(count));
}

}  // namespace

wxTextCtrl* AdvancedSettingsPage::FieldControl(Field field) const
{
    wxTextCtrl* const controls[FieldCount] = {baseTimePeriodField, baseFrequencyField, periodPerSlotField,
                                              slotFrequencyField, slotCountField};
    return controls[field];
}

wxString AdvancedSettingsPage::FieldText(Field field) const
{
    return HasContent() ? FieldControl(field)->GetValue() : unshown.texts[field];
}

void AdvancedSettingsPage::SetFieldText(Field field, const wxString& text)
{
    if (HasContent())
        FieldControl(field)->SetValue(text);
    else
        unshown.texts[field] = text;
}

int AdvancedSettingsPage::BoxCount() const
{
    return HasContent() ? slotBoxes.count : static_cast<int>(unshown.slots.size());
}

bool AdvancedSettingsPage::BoxChecked(int slot) const
{
    return HasContent() ? slotBoxes.boxes[slot]->GetValue() : unshown.slots[slot];
}

void AdvancedSettingsPage::CheckBox(int slot, bool checked)
{
    if (HasContent())
        slotBoxes.boxes[slot]->SetValue(checked);
    else
        unshown.slots[slot] = checked;
}

// The four reals and the slot count of a derived pattern into their fields;
// its base values become the ones the base fields return to.
void AdvancedSettingsPage::ShowPatternFields(const FiringPattern& pattern)
{
    SetFieldText(BaseFrequencyText, RealText(pattern.BaseFrequency));
    SetFieldText(BaseTimePeriodText, RealText(pattern.BaseTimePeriod));
    SetFieldText(SlotFrequencyText, RealText(pattern.SlotFrequency));
    SetFieldText(PeriodPerSlotText, RealText(pattern.TimePeriodPerSlot));
    SetFieldText(SlotCountText, CountText(pattern.NumberOfSlots));
    takenPattern = pattern;
}

// The slot count in effect: the field's when it holds one, else the boxes'.
int AdvancedSettingsPage::SlotCountInEffect() const
{
    int n = 0;
    return ReadSlotCount(FieldText(SlotCountText), n) ? n : BoxCount();
}

// Derives the pattern from one field through `derive`: rule 1 from the Base
// Frequency field, rule 2 from the Base Time Period field. An entry that is
// not a number above zero (as its six decimals show it) is not taken: the
// field shows its last value, `taken`, again and nothing else changes.
void AdvancedSettingsPage::DeriveFromField(Field field, void (FiringPattern::*derive)(double, double),
                                           double taken)
{
    double value = 0.0;
    FiringPattern pattern;
    pattern.NumberOfSlots = SlotCountInEffect();
    if (ReadPositiveReal(FieldText(field), value))
        (pattern.*derive)(value, pattern.NumberOfSlots);
    if (pattern.HasUsableQuantities())
        ShowPatternFields(pattern);
    else
        SetFieldText(field, RealText(taken));
}

void AdvancedSettingsPage::TakeBaseFrequency()
{
    DeriveFromField(BaseFrequencyText, &FiringPattern::DeriveFromBaseFrequency, takenPattern.BaseFrequency);
}

void AdvancedSettingsPage::TakeBaseTimePeriod()
{
    DeriveFromField(BaseTimePeriodText, &FiringPattern::DeriveFromBaseTimePeriod,
                    takenPattern.BaseTimePeriod);
}

// Brings the slot boxes in line with the Number of Slots field (a new count
// gives all new, silent boxes; the same count keeps them). A field that holds
// no count ("" or "0" while typing) is given back the current box count.
// Leaving the field derives the slot period and slot frequency from Base Time
// Period and keeps Base Frequency; Enter (and a programme read back from the
// stick) derives everything from Base Time Period. After a focus change the
// boxes are rebuilt once the toolkit has finished moving the focus, which may
// be into the old boxes; anything that reads the page before then finishes
// that rebuild first (FinishPendingSlotRebuild).
void AdvancedSettingsPage::ApplySlotCountField(bool rewriteBaseFrequency, bool afterFocusChange)
{
    const int n = SlotCountInEffect();
    if (n != BoxCount()) {
        if (afterFocusChange && HasContent()) {
            pendingSlotCount = n;
            CallAfter([this] { FinishPendingSlotRebuild(); });
        } else
            RebuildSlotBoxes(n);
    }

    double t = 0.0;
    if (!ReadPositiveReal(FieldText(BaseTimePeriodText), t))
        t = takenPattern.BaseTimePeriod;
    FiringPattern pattern = takenPattern;
    if (rewriteBaseFrequency)
        pattern.DeriveFromBaseTimePeriod(t, n);
    else
        pattern.DeriveSlotsFromBaseTimePeriod(t, n);
    pattern.NumberOfSlots = n;
    if (!pattern.HasUsableQuantities()) {
        SetFieldText(SlotCountText, CountText(n));
        return;
    }
    if (rewriteBaseFrequency) {
        ShowPatternFields(pattern);
        return;
    }
    SetFieldText(PeriodPerSlotText, RealText(pattern.TimePeriodPerSlot));
    SetFieldText(SlotFrequencyText, RealText(pattern.SlotFrequency));
    SetFieldText(SlotCountText, CountText(n));
    takenPattern = pattern;
}

void AdvancedSettingsPage::FinishPendingSlotRebuild()
{
    const int count = pendingSlotCount;
    pendingSlotCount = -1;
    if (count < 0 || count == BoxCount())
        return;
    const wxWindow* focus = FindFocus();
    const bool focusInRow = focus == nullptr || focus->GetParent() == slotWindow;
    RebuildSlotBoxes(count);
    if (focusInRow && slotBoxes.count > 0)
        slotBoxes.boxes[0]->SetFocus();
}

// Shows a complete pattern: the five fields and NumberOfSlots new boxes
// carrying its slot states.
void AdvancedSettingsPage::ShowPatternOnPage(const FiringPattern& pattern)
{
    ShowPatternFields(pattern);
    RebuildSlotBoxes(pattern.NumberOfSlots);
    for (int i = 0; i < BoxCount(); ++i)
        CheckBox(i, pattern.Slot[i] == 1);
}

// True when the fields and boxes on screen form one pattern that may be
// sent: what the stick would get is what the page shows.
bool AdvancedSettingsPage::ShowsOnePattern() const
{
    int n = 0;
    return ReadSlotCount(FieldText(SlotCountText), n) && n == BoxCount()
           && ::ShowsOnePattern(
               FieldText(BaseFrequencyText).utf8_string(), FieldText(SlotCountText).utf8_string(),
               FieldText(SlotFrequencyText).utf8_string(), FieldText(BaseTimePeriodText).utf8_string());
}

// Writes what the fields show. A base field whose text is not taken counts
// as the value it returns to, and a count above the boxes (typed, not yet
// applied) is completed with silent slots, so the file can always be read.
bool AdvancedSettingsPage::SavePatternFile(const char* path, PatternFileRefusal& reason)
{
    const int n = SlotCountInEffect();
    FiringPattern shown;
    double b = 0.0;
    if (ReadPositiveReal(FieldText(BaseFrequencyText), b))
        shown.DeriveFromBaseFrequency(b, n);
    if (!shown.HasUsableQuantities())
        shown.DeriveFromBaseFrequency(takenPattern.BaseFrequency, n);
    if (!shown.HasUsableQuantities()) {
        reason = PatternFileRefusal::BaseFrequencyUnusable;
        return false;
    }
    PatternFileContent content;
    content.BaseFrequency = shown.BaseFrequency;
    content.NumberOfSlots = n;
    if (!ReadPositiveReal(FieldText(BaseTimePeriodText), content.BaseTimePeriod))
        content.BaseTimePeriod = takenPattern.BaseTimePeriod;
    if (!ReadPositiveReal(FieldText(SlotFrequencyText), content.SlotFrequency))
        content.SlotFrequency = shown.SlotFrequency;
    if (!ReadPositiveReal(FieldText(PeriodPerSlotText), content.TimePeriodPerSlot))
        content.TimePeriodPerSlot = shown.TimePeriodPerSlot;
    content.Slots.resize(std::max(BoxCount(), n), false);
    for (int i = 0; i < BoxCount(); ++i)
        content.Slots[i] = BoxChecked(i);

    if (!WritePatternFile(path, content, *document)) {
        reason = PatternFileRefusal::NotWritten;
        return false;
    }
    return true;
}

bool AdvancedSettingsPage::LoadPatternFile(const char* path, PatternFileRefusal& reason)
{
    const PatternFileResult result = ReadPatternFile(path, *document);
    if (!result.ok) {
        reason = result.refusal;
        return false;
    }
    ShowPatternOnPage(result.pattern);
    return true;
}

// At exit: nothing can be reported any more, so a failure leaves the
// previous file as it was. A file that could not be used at start-up (could
// not be opened, read or parsed) is moved aside first, so that the save does
// not erase it; one that cannot be moved stays, and nothing is saved. A
// folder, FIFO, socket or device by that name is not the program's to move:
// it stays, and nothing is saved.
void AdvancedSettingsPage::SaveAdvancedSettings(const char* path)
{
    std::error_code error;
    if (settingsNotRegular && std::filesystem::exists(path, error)) {
        std::puts((std::string(path)
                   + " is not an ordinary file; it was left as it is and the "
                     "pattern on the page was not saved")
                      .c_str());
        return;
    }
    if (settingsRefused && std::filesystem::exists(path, error)) {
        const std::time_t now = std::time(nullptr);
        const std::string aside = MoveUnreadableAside(path, *std::localtime(&now));
        if (aside.empty()) {
            std::puts((std::string(path)
                       + " could not be read and could not be moved aside; "
                         "the pattern on the page was not saved")
                          .c_str());
            return;
        }
        std::puts((std::string(path) + " could not be read; it was kept as " + aside).c_str());
    }
    if (ResolveLinks(path).empty()) {
        std::puts((std::string(path)
                   + " is a symbolic link that belongs to another user; nothing was written through it "
                     "and the pattern on the page was not saved")
                      .c_str());
        return;
    }
    PatternFileRefusal ignored;
    SavePatternFile(path, ignored);
}

// At start-up: without a usable file (the first start has none) the page keeps
// its start pattern.
void AdvancedSettingsPage::LoadAdvancedSettings(const char* path)
{
    const PatternFileResult result = ReadPatternFile(path, *document);
    if (result.ok)
        ShowPatternOnPage(result.pattern);
    settingsRefused = !result.ok && result.hasContent;
    settingsNotRegular = result.notRegular;
    // Told now, while the user can still remove the link: the save at the
    // end will not write through it.
    if (ResolveLinks(path).empty()) {
        const wxString notice = wxString::Format(
            _("The file %s is a symbolic link that belongs to another user, so the program does not "
              "write through it: the pattern on the Advanced Settings page will not be saved when the "
              "program ends. Remove the link to have the pattern saved."),
            wxString::FromUTF8(path));
        CallAfter([notice] { ShowNotice(notice, "Advanced Settings"); });
    }
}

void AdvancedSettingsPage::RefreshSlotPattern()
{
    ApplySlotCountField(true, false);
}

void AdvancedSettingsPage::LeaveSlotCount()
{
    ApplySlotCountField(false, true);
}

FiringPattern AdvancedSettingsPage::WorkingPattern() const
{
    FiringPattern pattern;  // Base Frequency stays 0, shown as "-", when not a number above zero
    ReadPositiveReal(FieldText(BaseFrequencyText), pattern.BaseFrequency);
    pattern.NumberOfSlots = BoxCount();
    for (int i = 0; i < pattern.NumberOfSlots; ++i)
        pattern.Slot[i] = BoxChecked(i) ? SlotOn : SlotOff;
    return pattern;
}

double AdvancedSettingsPage::BaseFrequency() const
{
    return RealOrNaN(FieldText(BaseFrequencyText));
}

double AdvancedSettingsPage::SlotCount() const
{
    return RealOrNaN(FieldText(SlotCountText));
}

double AdvancedSettingsPage::SlotFrequency() const
{
    return RealOrNaN(FieldText(SlotFrequencyText));
}

void AdvancedSettingsPage::ApplyTreatmentToPattern(const FiringPattern& treatment)
{
    // The three derived fields always come from the treatment's base
    // frequency and slot count, never from its stored copies.
    FiringPattern shown;
    shown.NumberOfSlots = treatment.NumberOfSlots;
    shown.DeriveFromBaseFrequency(treatment.BaseFrequency, shown.NumberOfSlots);
    ShowPatternFields(shown);
    const int n = shown.NumberOfSlots;
    if (n != BoxCount())
        RebuildSlotBoxes(n);
    for (int i = 0; i < n && i < BoxCount(); ++i)
        CheckBox(i, treatment.Slot[i] == 1);
}

void AdvancedSettingsPage::ShowProgrammeRead(double baseTimePeriod, int count, const unsigned char* states)
{
    SetFieldText(BaseTimePeriodText, RealText(baseTimePeriod));
    SetFieldText(SlotCountText, CountText(count));
    RefreshSlotPattern();
    for (int j = 0; j < count && j < BoxCount(); ++j)
        CheckBox(j, states[j] == SlotOn);
}

// Sent in idle time: catches every way the fields and boxes change.
void AdvancedSettingsPage::OnPatternPreviewUpdateUI(wxUpdateUIEvent&)
{
    preview->ShowPattern(WorkingPattern());
}

// Leaving a field takes what it holds, as Enter does (Number of Slots keeps
// Base Frequency then).
void AdvancedSettingsPage::OnBaseTimePeriodKillFocus(wxFocusEvent& event)
{
    TakeBaseTimePeriod();
    event.Skip();
}

void AdvancedSettingsPage::OnBaseFrequencyKillFocus(wxFocusEvent& event)
{
    TakeBaseFrequency();
    event.Skip();
}

void AdvancedSettingsPage::OnSlotCountKillFocus(wxFocusEvent& event)
{
    LeaveSlotCount();
    event.Skip();
}

void AdvancedSettingsPage::ExportPattern()
{
    FinishPendingSlotRebuild();
    if (exportDialog == nullptr)
        exportDialog = NewPatternFileDialog(this, _("Export to XML"), wxFD_SAVE);
    ExportFile chosen;
    if (!ChooseExportFile(
            *exportDialog, {"xml"},
            // TRANSLATORS: %s is the full path of the file chosen.
            _("The pattern was not exported: \"%s\" is one of Vitrel's own files. Please choose "
              "another name or folder."),
            "Export to XML", chosen))
        return;
    PatternFileRefusal reason = PatternFileRefusal::FileNameUnusable;
    if (chosen.path.empty() || !SavePatternFile(chosen.path.c_str(), reason))
        ShowNotice(RefusalText(ExportRefusals, reason,
                               // TRANSLATORS: %s is the reason, in English.
                               wxTRANSLATE("The pattern could not be exported because %s.")),
                   "Export to XML");
}

void AdvancedSettingsPage::ImportPattern()
{
    if (importDialog == nullptr)
        importDialog = NewPatternFileDialog(this, _("Import from XML"), wxFD_OPEN);
    if (importDialog->ShowModal() == wxID_CANCEL)
        return;
    std::string path;
    PatternFileRefusal reason = PatternFileRefusal::FileNameUnusable;
    if (!ToFilePath(importDialog->GetPath(), path) || !LoadPatternFile(path.c_str(), reason))
        ShowNotice(RefusalText(ImportRefusals, reason,
                               // TRANSLATORS: %s is the reason, in English.
                               wxTRANSLATE("The file could not be imported because %s. The "
                                           "pattern on the page has not changed.")),
                   "Import from XML");
}
