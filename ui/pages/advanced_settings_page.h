#pragma once

#include <memory>
#include <vector>

#include <wx/scrolwin.h>

#include "treatments/firing_pattern.h"
#include "ui/pages/notebook_page.h"

class wxBoxSizer;
class wxCheckBox;
class wxFileDialog;
class wxFocusEvent;
class wxScrolledWindow;
class wxTextCtrl;
class wxUpdateUIEvent;
class PatternPreviewControl;
class StickSession;
enum class PatternFileRefusal;
namespace tinyxml2 {
class XMLDocument;
}

// The slot check boxes of the Advanced Settings page: box i shows slot i of the
// working pattern (checked = the slot fires).
struct SlotBoxes {
    wxCheckBox* boxes[FiringPattern::MaxSlots] = {};
    int count = 0;
    wxBoxSizer* sizer = nullptr;  // the scrolled window's sizer
};

// The Advanced Settings page: the five pattern fields, the slot boxes, the
// preview and the pattern files ("AdvancedSettings.xml", export, import).
// The page holds the working pattern, and the rest of the window reads and
// shows patterns through the methods below. Once the page has been shown its
// fields and boxes hold the pattern; until then it has no controls, and the
// fields' texts and the boxes' states are kept in `unshown`, where every rule
// reads and writes them exactly as it would the controls.
class AdvancedSettingsPage : public wxScrolledWindow, public NotebookPage {
public:
    explicit AdvancedSettingsPage(wxWindow* parent);
    ~AdvancedSettingsPage() override;

    // Makes the controls, showing what the page holds; once only. The
    // fields take what they hold when they lose the focus (bound here, on
    // each field); their other events reach the frame by their ids
    // (ui/common/window_ids.h).
    void CreateContent() override;
    bool HasContent() const { return slotWindow != nullptr; }

    // What the page's handlers do: Enter in, or leaving, Base Frequency and
    // Base Time Period; Enter in Number of Slots (RefreshSlotPattern), or
    // leaving it; the export and import buttons.
    void TakeBaseFrequency();
    void TakeBaseTimePeriod();
    void RefreshSlotPattern();
    void LeaveSlotCount();
    void ExportPattern();
    void ImportPattern();
    // Write Vitrel and Read Vitrel: ask, then write the pattern the page
    // shows, or ask the stick for its programme, through `session` (the
    // reply comes back through ShowProgrammeRead).
    // True when the programme went out; its check follows.
    bool WriteToStick(StickSession& session);
    void ReadFromStick(StickSession& session);

    // The pattern the fields and boxes hold now; its Base Frequency is 0
    // when the field holds no number above zero.
    FiringPattern WorkingPattern() const;
    // The field's number, NaN when its text is not one.
    double BaseFrequency() const;
    double SlotCount() const;
    double SlotFrequency() const;
    // The fields and boxes form one pattern that may be sent.
    bool ShowsOnePattern() const;
    // A rebuild of the boxes still due after leaving Number of Slots is made
    // now: whatever reads the page calls this first.
    void FinishPendingSlotRebuild();

    // A catalogue treatment: its base frequency and slot count derive the
    // fields, and its slot states go into the boxes.
    void ApplyTreatmentToPattern(const FiringPattern& pattern);
    // A programme read back from the stick: `count` slot states and the
    // base time period they were sent at.
    void ShowProgrammeRead(double baseTimePeriod, int count, const unsigned char* states);

    // "AdvancedSettings.xml" at start-up and at exit.
    void LoadAdvancedSettings(const char* path);
    void SaveAdvancedSettings(const char* path);

    // The boxes; none until the page has its controls.
    const SlotBoxes& Slots() const { return slotBoxes; }

private:
    // The five fields, in the order of `Unshown::texts`.
    enum Field { BaseTimePeriodText, BaseFrequencyText, PeriodPerSlotText, SlotFrequencyText, SlotCountText };
    static constexpr int FieldCount = 5;
    // What the fields and boxes hold before the controls exist.
    struct Unshown {
        wxString texts[FieldCount];
        std::vector<bool> slots;
    };
    // The one way the rules reach the fields and boxes, made or not.
    wxTextCtrl* FieldControl(Field field) const;
    wxString FieldText(Field field) const;
    void SetFieldText(Field field, const wxString& text);
    int BoxCount() const;
    bool BoxChecked(int slot) const;
    void CheckBox(int slot, bool checked);

    void DeriveFromField(Field field, void (FiringPattern::*derive)(double, double), double taken);
    void ApplySlotCountField(bool rewriteBaseFrequency, bool afterFocusChange);
    void ShowPatternFields(const FiringPattern& pattern);
    int SlotCountInEffect() const;
    void ShowPatternOnPage(const FiringPattern& pattern);
    bool SavePatternFile(const char* path, PatternFileRefusal& reason);
    bool LoadPatternFile(const char* path, PatternFileRefusal& reason);
    void OnPatternPreviewUpdateUI(wxUpdateUIEvent& event);
    void OnBaseTimePeriodKillFocus(wxFocusEvent& event);
    void OnBaseFrequencyKillFocus(wxFocusEvent& event);
    void OnSlotCountKillFocus(wxFocusEvent& event);

    // The slot boxes (ui/pages/slot_boxes.cpp). A rebuild makes them all new
    // and silent.
    void RebuildSlotBoxes(int count);
    void PlaceSlotBoxes();
    // Unchecked boxes named windowName from the current count up to count.
    void AddSlotBoxes(int count, const wxString& windowName);
    void DestroySlotBoxes();

    wxTextCtrl* baseTimePeriodField = nullptr;  // ID_TEXTCTRL7
    wxTextCtrl* baseFrequencyField = nullptr;  // ID_TEXTCTRL11
    wxTextCtrl* periodPerSlotField = nullptr;  // ID_TEXTCTRL9
    wxTextCtrl* slotFrequencyField = nullptr;  // ID_TEXTCTRL12
    wxTextCtrl* slotCountField = nullptr;  // ID_TEXTCTRL8
    wxScrolledWindow* slotWindow = nullptr;  // ID_SCROLLEDWINDOW1
    PatternPreviewControl* preview = nullptr;  // ID_PATTERNPREVIEW2

    SlotBoxes slotBoxes;
    Unshown unshown;
    bool slotBoxesRebuilt = false;  // false while the boxes are the start pattern's ("ID_CHECKBOX0")
    int pendingSlotCount = -1;  // a rebuild to the count left in Number of Slots, not yet made
    // What the base fields go back to when their text is not taken: the
    // values the page last showed or took.
    FiringPattern takenPattern;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    bool settingsRefused = false;  // the file held at start-up could not be used
    bool settingsNotRegular = false;  // a folder or special file held its name
    wxFileDialog* exportDialog = nullptr;
    wxFileDialog* importDialog = nullptr;
};
