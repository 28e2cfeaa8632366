// Advanced Settings page: the field rules, the slot boxes and the pattern file.
//
// The five fields and the slot boxes are the only store of the working
// pattern. Every rule reads the fields' texts at that moment and writes its
// results back in the "%f" and "%i" forms, always with a '.' decimal point.
// A rule whose inputs are not numbers above zero (the validators let "", "-",
// "0" and negative numbers through) writes nothing: every field keeps its
// text, so no field ever shows inf or nan.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/textctrl.h>

#include "app/pattern_preview_control.h"
#include "app/vitrel_frame.h"
#include "treatments/pattern_file.h"

namespace {

// The file dialogs are made on first use: a file chooser costs about a fifth
// of the window's start-up, and most runs never open one. Each is kept once
// made, so it opens again in the folder last used.
wxFileDialog* NewPatternFileDialog(wxWindow* parent, const wxString& title, long style)
{
    return new wxFileDialog(parent, title, wxEmptyString, wxEmptyString, _("*.xml"), style,
                            wxDefaultPosition, wxDefaultSize, "wxFileDialog");
}

bool ReadReal(const wxTextCtrl* field, double& value)
{
    return ParsePatternReal(field->GetValue().utf8_string(), value);
}

bool ReadPositiveReal(const wxTextCtrl* field, double& value)
{
    double parsed = 0.0;
    if (!ReadReal(field, parsed) || parsed <= 0.0)
        return false;
    value = parsed;
    return true;
}

// A slot count the page can show: a whole number from 1 to MaxSlots.
bool ReadSlotCount(const wxTextCtrl* field, int& count)
{
    long parsed = 0;
    if (!ParsePatternCount(field->GetValue().utf8_string(), parsed) || parsed < 1
        || parsed > FiringPattern::MaxSlots)
        return false;
    count = static_cast<int>(parsed);
    return true;
}

void WriteReal(wxTextCtrl* field, double value)
{
    field->SetValue(wxString::FromUTF8(FormatPatternReal(value)));
}

void WriteCount(wxTextCtrl* field, int count)
{
    field->SetValue(wxString::FromUTF8(FormatPatternCount(count)));
}

// The chosen path as 8-bit text for the C library: the file name conversion
// the toolkit used to turn the native name into text (UTF-8 under GTK, not
// the C library's locale, which is "C"). False when the name has no such form.
bool ToFilePath(const wxString& path, std::string& converted)
{
    // What fn_str() gives where file names are 8-bit; on Windows fn_str() is
    // the wide name, which the C library's fopen cannot take.
    const auto text = path.mb_str(wxConvFile);
    if (text.data() == nullptr || text.length() != std::strlen(text.data())
        || (text.length() == 0 && !path.empty()))
        return false;
    converted.assign(text.data(), text.length());
    return true;
}

}  // namespace

// Rule 1 from the Base Frequency and Number of Slots fields.
void wxVitrelFrame::DeriveFromBaseFrequencyField()
{
    double b = 0.0;
    double n = 0.0;
    if (!ReadReal(baseFrequencyField, b) || !ReadReal(slotCountField, n))
        return;
    FiringPattern pattern;
    pattern.DeriveFromBaseFrequency(b, n);
    if (!pattern.HasUsableQuantities())
        return;
    WriteReal(baseTimePeriodField, pattern.BaseTimePeriod);
    WriteReal(slotFrequencyField, pattern.SlotFrequency);
    WriteReal(periodPerSlotField, pattern.TimePeriodPerSlot);
    WriteReal(baseFrequencyField, b);
}

// Rule 2 from the Base Time Period and Number of Slots fields.
void wxVitrelFrame::DeriveFromBaseTimePeriodField()
{
    double t = 0.0;
    double n = 0.0;
    if (!ReadReal(baseTimePeriodField, t) || !ReadReal(slotCountField, n))
        return;
    FiringPattern pattern;
    pattern.DeriveFromBaseTimePeriod(t, n);
    if (!pattern.HasUsableQuantities())
        return;
    WriteReal(baseFrequencyField, pattern.BaseFrequency);
    WriteReal(periodPerSlotField, pattern.TimePeriodPerSlot);
    WriteReal(slotFrequencyField, pattern.SlotFrequency);
    WriteReal(baseTimePeriodField, t);
}

// Brings the slot boxes in line with the Number of Slots field (a new count
// gives all new, silent boxes; the same count keeps them), then rule 2 steps
// 2 and 3 from Base Time Period, and step 1 too when asked. A field that holds
// no count ("" or "0" while typing) is given back the current box count.
void wxVitrelFrame::ApplySlotCountField(bool rewriteBaseFrequency)
{
    int n = 0;
    if (!ReadSlotCount(slotCountField, n)) {
        n = slotBoxes.count;
        WriteCount(slotCountField, n);
    }
    if (n != slotBoxes.count)
        RebuildSlotBoxes(n);

    double t = 0.0;
    if (!ReadReal(baseTimePeriodField, t))
        return;
    FiringPattern pattern;
    pattern.DeriveFromBaseTimePeriod(t, n);
    if (!pattern.HasUsableQuantities())
        return;
    WriteReal(periodPerSlotField, pattern.TimePeriodPerSlot);
    WriteReal(slotFrequencyField, pattern.SlotFrequency);
    if (rewriteBaseFrequency)
        WriteReal(baseFrequencyField, pattern.BaseFrequency);
}

// Shows a complete pattern: the five fields and NumberOfSlots new boxes
// carrying its slot states.
void wxVitrelFrame::ShowPatternOnPage(const FiringPattern& pattern)
{
    WriteReal(baseFrequencyField, pattern.BaseFrequency);
    WriteReal(baseTimePeriodField, pattern.BaseTimePeriod);
    WriteReal(periodPerSlotField, pattern.TimePeriodPerSlot);
    WriteReal(slotFrequencyField, pattern.SlotFrequency);
    WriteCount(slotCountField, pattern.NumberOfSlots);
    RebuildSlotBoxes(pattern.NumberOfSlots);
    for (int i = 0; i < slotBoxes.count; ++i)
        slotBoxes.boxes[i]->SetValue(pattern.Slot[i] == 1);
}

// Writes the working pattern so that it can always be read back: while a
// field is half-typed the file takes what is in effect instead (Base Frequency
// from Base Time Period, the count from the boxes, a derived value from rule
// 1), and a count above the boxes is completed with silent slots. Refuses
// only when neither base field holds a number above zero.
bool wxVitrelFrame::SavePatternFile(const char* path, std::string& reason)
{
    PatternFileContent content;
    double t = 0.0;
    const bool periodUsable = ReadPositiveReal(baseTimePeriodField, t);
    if (!ReadPositiveReal(baseFrequencyField, content.BaseFrequency)) {
        if (!periodUsable) {
            reason = "Base Frequency and Base Time Period are not numbers above zero";
            return false;
        }
        content.BaseFrequency = 1.0 / t;
    }
    int n = 0;
    if (!ReadSlotCount(slotCountField, n))
        n = slotBoxes.count;
    FiringPattern derived;
    derived.DeriveFromBaseFrequency(content.BaseFrequency, n);
    if (!derived.HasUsableQuantities()) {
        reason = "Base Frequency is too large or too small to give a usable slot timing";
        return false;
    }
    content.NumberOfSlots = n;
    content.BaseTimePeriod = periodUsable ? t : derived.BaseTimePeriod;
    if (!ReadPositiveReal(slotFrequencyField, content.SlotFrequency))
        content.SlotFrequency = derived.SlotFrequency;
    if (!ReadPositiveReal(periodPerSlotField, content.TimePeriodPerSlot))
        content.TimePeriodPerSlot = derived.TimePeriodPerSlot;
    content.Slots.resize(std::max(slotBoxes.count, n), false);
    for (int i = 0; i < slotBoxes.count; ++i)
        content.Slots[i] = slotBoxes.boxes[i]->GetValue();

    if (!WritePatternFile(path, content, *advancedSettingsDocument)) {
        reason = "the file could not be written; check that the folder exists and that you may "
                 "write to it";
        return false;
    }
    return true;
}

bool wxVitrelFrame::LoadPatternFile(const char* path, std::string& reason)
{
    const PatternFileResult result = ReadPatternFile(path, *advancedSettingsDocument);
    if (!result.ok) {
        reason = result.reason;
        return false;
    }
    ShowPatternOnPage(result.pattern);
    return true;
}

// At exit: nothing can be reported any more, so a failure leaves the
// previous file as it was. A file that could not be used at start-up is moved
// aside first, so that the save does not erase it; one that cannot be moved
// stays, and nothing is saved.
void wxVitrelFrame::SaveAdvancedSettings(const char* path)
{
    std::error_code error;
    if (advancedSettingsRefused && std::filesystem::exists(path, error)) {
        const std::time_t now = std::time(nullptr);
        const std::string aside = MoveUnreadableAside(path, *std::localtime(&now));
        if (aside.empty()) {
            std::puts((std::string(path) + " could not be read and could not be moved aside; "
                       "the pattern on the page was not saved").c_str());
            return;
        }
        std::puts((std::string(path) + " could not be read; it was kept as " + aside).c_str());
    }
    std::string ignored;
    SavePatternFile(path, ignored);
}

// At start-up: without a usable file (the first start has none) the page keeps
// its default pattern.
void wxVitrelFrame::LoadAdvancedSettings(const char* path)
{
    const PatternFileResult result = ReadPatternFile(path, *advancedSettingsDocument);
    if (result.ok)
        ShowPatternOnPage(result.pattern);
    advancedSettingsRefused = !result.ok && result.hasContent;
}

void wxVitrelFrame::RebuildSlotBoxes(int count)
{
    count = std::clamp(count, 0, static_cast<int>(FiringPattern::MaxSlots));
    DestroySlotBoxes();
    AddSlotBoxes(count, "ID_CHECKBOX6");
}

void wxVitrelFrame::RefreshSlotPattern()
{
    ApplySlotCountField(true);
}

FiringPattern wxVitrelFrame::WorkingPattern() const
{
    FiringPattern pattern;  // Base Frequency stays 0, shown as "-", when not a number above zero
    ReadPositiveReal(baseFrequencyField, pattern.BaseFrequency);
    pattern.NumberOfSlots = slotBoxes.count;
    for (int i = 0; i < slotBoxes.count; ++i)
        pattern.Slot[i] = slotBoxes.boxes[i]->GetValue() ? 1 : 2;
    return pattern;
}

// Sent in idle time: catches every way the fields and boxes change.
void wxVitrelFrame::OnPatternPreviewUpdateUI(wxUpdateUIEvent&)
{
    advancedPreview->ShowPattern(WorkingPattern());
}

std::vector<unsigned char> wxVitrelFrame::BuildSlotStateBytes() const
{
    std::vector<unsigned char> states(slotBoxes.count);
    for (int i = 0; i < slotBoxes.count; ++i)
        states[i] = slotBoxes.boxes[i]->GetValue() ? 1 : 2;
    return states;
}

void wxVitrelFrame::OnBaseFrequencyKillFocus(wxFocusEvent& event)
{
    DeriveFromBaseFrequencyField();
    event.Skip();
}

void wxVitrelFrame::OnBaseFrequencyEnter(wxCommandEvent&)
{
    DeriveFromBaseFrequencyField();
}

void wxVitrelFrame::OnBaseTimePeriodKillFocus(wxFocusEvent& event)
{
    DeriveFromBaseTimePeriodField();
    event.Skip();
}

void wxVitrelFrame::OnBaseTimePeriodEnter(wxCommandEvent&)
{
    DeriveFromBaseTimePeriodField();
}

void wxVitrelFrame::OnSlotCountKillFocus(wxFocusEvent& event)
{
    ApplySlotCountField(false);
    event.Skip();
}

void wxVitrelFrame::OnSlotCountEnter(wxCommandEvent&)
{
    RefreshSlotPattern();
}

void wxVitrelFrame::OnExportXmlClick(wxCommandEvent&)
{
    if (exportDialog == nullptr)
        exportDialog = NewPatternFileDialog(this, _("Export to XML"), wxFD_SAVE);
    if (exportDialog->ShowModal() == wxID_CANCEL)
        return;
    std::string path;
    std::string reason = "the file name cannot be used on this system";
    if (!ToFilePath(exportDialog->GetPath(), path) || !SavePatternFile(path.c_str(), reason))
        ShowNotice("The pattern could not be exported because " + wxString::FromUTF8(reason) + ".",
                   "Export to XML");
}

void wxVitrelFrame::OnImportXmlClick(wxCommandEvent&)
{
    if (importDialog == nullptr)
        importDialog = NewPatternFileDialog(this, _("Import from XML"), wxFD_OPEN);
    if (importDialog->ShowModal() == wxID_CANCEL)
        return;
    std::string path;
    std::string reason = "the file name cannot be used on this system";
    if (!ToFilePath(importDialog->GetPath(), path) || !LoadPatternFile(path.c_str(), reason))
        ShowNotice("The file could not be imported because " + wxString::FromUTF8(reason)
                       + ". The pattern on the page has not changed.",
                   "Import from XML");
}
