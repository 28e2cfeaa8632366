#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valnum.h>

#include <tinyxml2.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

#include "ui/common/resource_path.h"
#include "ui/common/window_ids.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/theme_colours.h"
#include "ui/widgets/pattern_preview_control.h"
#include "ui/widgets/picture_control.h"

namespace {
const wxColour EditableFieldColour(255, 255, 190);

// Validator A: any real, negatives included, 15 decimals. A typed comma is
// taken as the decimal point (it is the key many users reach for), so the
// field still shows and stores '.', and a second separator is refused as
// usual.
class RealFieldValidator : public wxFloatingPointValidator<double> {
public:
    RealFieldValidator() : wxFloatingPointValidator<double>(15, nullptr, wxNUM_VAL_DEFAULT)
    {
        SetRange(-1.7976931348623157e308, 1.7976931348623157e308);
        Bind(wxEVT_CHAR, &RealFieldValidator::OnChar, this);
    }
    RealFieldValidator(const RealFieldValidator& other) : wxFloatingPointValidator<double>(other)
    {
        Bind(wxEVT_CHAR, &RealFieldValidator::OnChar, this);
    }
    wxObject* Clone() const override { return new RealFieldValidator(*this); }

private:
    void OnChar(wxKeyEvent& event)
    {
        event.Skip();  // every other key goes on to the number filter
        if (event.GetUnicodeKey() != ',')
            return;
        event.Skip(false);  // the comma itself is never inserted
        wxKeyEvent point(event);
        point.m_uniChar = '.';
        point.m_keyCode = '.';
        // The number filter passes the point on (skips it) when it may go in.
        ProcessEventLocally(point);
        if (point.GetSkipped())
            GetTextEntry()->WriteText(".");
    }
};

// A labelled number field: the label stretches within its half of the row.
wxTextCtrl* AddLabelledField(wxWindow* page, wxBoxSizer* half, const char* labelName, const wxString& label,
                             wxWindowID id, const char* fieldName, long style, const wxValidator& validator)
{
    half->Add(new wxStaticText(page, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, labelName), 1,
              wxALL | wxALIGN_CENTER_VERTICAL, 5);
    wxTextCtrl* field = new wxTextCtrl(page, id, "1", wxDefaultPosition, NumberFieldSize(page, 80),
                                       wxTE_CENTRE | style, validator, fieldName);
    half->Add(field, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    return field;
}

wxBoxSizer* AddHalf(wxBoxSizer* row)
{
    wxBoxSizer* half = new wxBoxSizer(wxHORIZONTAL);
    row->Add(half, 1, wxEXPAND, 0);
    return half;
}

void AddSeparator(wxWindow* page, wxBoxSizer* sizer, const char* name, int proportion, int flags)
{
    sizer->Add(new wxStaticLine(page, wxID_ANY, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL, name),
               proportion, wxALL | flags, 5);
}
}  // namespace

AdvancedSettingsPage::AdvancedSettingsPage(wxWindow* parent)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxVSCROLL,
                       "ID_PANEL5"),
      document(std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE))
{
    // The start pattern: ten silent slots at a base frequency of 1 Hz, every
    // field derived from those two so that what is shown is what Write would
    // send. The controls are made when the page is first shown.
    FiringPattern start;
    start.NumberOfSlots = 10;
    start.DeriveFromBaseFrequency(1.0, start.NumberOfSlots);
    ShowPatternFields(start);
    unshown.slots.assign(start.NumberOfSlots, false);
}

void AdvancedSettingsPage::CreateContent()
{
    if (HasContent())
        return;
    // Validators first: A admits any real, negatives included; B whole slot
    // counts from 1 to 250.
    RealFieldValidator realValidator;
    wxIntegerValidator<int> countValidator(nullptr, wxNUM_VAL_DEFAULT);
    countValidator.SetRange(1, 250);

    wxPanel* page = this;
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);

    wxStaticText* heading = new wxStaticText(page, wxID_ANY, _("Advanced Settings"), wxDefaultPosition,
                                             wxDefaultSize, 0, "ID_STATICTEXT25");
    StyleText(heading, PageFont(14, wxFONTWEIGHT_NORMAL, "Arial"), wxColour(160, 22, 44));
    AddPageRow(column)->Add(heading, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);

    wxBoxSizer* block = new wxBoxSizer(wxVERTICAL);
    wxPanel* toolbar = NewToolbar(page, "ID_PANEL9");
    wxBoxSizer* tools = new wxBoxSizer(wxHORIZONTAL);
    wxButton* writeButton =
        AddToolButton(toolbar, tools, AdvancedWriteButtonId, _("Write Vitrel"), "ID_BUTTON4", 2);
    writeButton->SetForegroundColour(wxColour(255, 255, 255));
    writeButton->SetBackgroundColour(wxColour(153, 32, 35));
    StyleText(writeButton, PageFont(10, wxFONTWEIGHT_BOLD));
    AddToolButton(toolbar, tools, ReadDeviceButtonId, _("Read Vitrel"), "ID_BUTTON5", 2);
    tools->Add(new wxStaticLine(toolbar, wxID_ANY, wxDefaultPosition, wxSize(2, -1), wxLI_VERTICAL,
                                "ID_STATICLINE5"),
               0, wxALL | wxEXPAND, 5);
    AddToolButton(toolbar, tools, ExportXmlButtonId, _("Export to XML"), "ID_BUTTON7", 2);
    AddToolButton(toolbar, tools, ImportXmlButtonId, _("Import from XML"), "ID_BUTTON8", 2);
    FitPanel(toolbar, tools);
    block->Add(toolbar, 1, wxEXPAND, 0);
    wxStaticText* warning = new wxStaticText(
        page, wxID_ANY,
        _("This is section for advanced setting of Vitrel stick operation. It should be used only "
          "if you understand principles of pulse magnetic field characteristics and its impatc on "
          "body."),
        wxDefaultPosition, wxSize(465, 48), 0, "ID_STATICTEXT13");
    block->Add(warning, 0, wxALL | wxEXPAND, 5);
    AddSeparator(page, block, "ID_STATICLINE4", 0, wxEXPAND);
    column->Add(block, 0, wxEXPAND, 0);

    wxBoxSizer* periodRow = AddPageRow(column);
    baseTimePeriodField =
        AddLabelledField(page, AddHalf(periodRow), "ID_STATICTEXT8", _("Base Time Period [sec]"),
                         BaseTimePeriodFieldId, "ID_TEXTCTRL7", wxTE_PROCESS_ENTER, realValidator);
    baseFrequencyField =
        AddLabelledField(page, AddHalf(periodRow), "ID_STATICTEXT16", _("Base Frequency [Hz]"),
                         BaseFrequencyFieldId, "ID_TEXTCTRL11", wxTE_PROCESS_ENTER, realValidator);
    baseFrequencyField->SetBackgroundColour(EditableFieldColour);
    baseFrequencyField->SetForegroundColour(TextColourOn(EditableFieldColour));

    wxBoxSizer* slotRow = AddPageRow(column);
    periodPerSlotField =
        AddLabelledField(page, AddHalf(slotRow), "ID_STATICTEXT10", _("Time Period Per Slot [sec]"), wxID_ANY,
                         "ID_TEXTCTRL9", 0, wxDefaultValidator);
    periodPerSlotField->Disable();
    slotFrequencyField = AddLabelledField(page, AddHalf(slotRow), "ID_STATICTEXT17", _("Slot Frequency [Hz]"),
                                          wxID_ANY, "ID_TEXTCTRL12", 0, wxDefaultValidator);
    slotFrequencyField->Disable();

    slotCountField = AddLabelledField(page, AddPageRow(column), "ID_STATICTEXT9", _("Number of Slots"),
                                      SlotCountFieldId, "ID_TEXTCTRL8", wxTE_PROCESS_ENTER, countValidator);
    slotCountField->SetBackgroundColour(EditableFieldColour);
    slotCountField->SetForegroundColour(TextColourOn(EditableFieldColour));

    AddSeparator(page, column, "ID_STATICLINE2", 0, wxEXPAND);

    AddPageRow(column)->Add(new wxStaticText(page, wxID_ANY, _("Vitrel firing pattern"), wxDefaultPosition,
                                             wxDefaultSize, 0, "ID_STATICTEXT12"),
                            1, wxALL, 5);

    slotWindow = new wxScrolledWindow(page, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxHSCROLL | wxALWAYS_SHOW_SB, "ID_SCROLLEDWINDOW1");
    slotBoxes.sizer = new wxBoxSizer(wxHORIZONTAL);
    slotBoxes.sizer->Add(new wxStaticText(slotWindow, wxID_ANY, "Label", wxDefaultPosition, wxSize(0, 40), 0,
                                          "ID_STATICTEXT11"),
                         0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    slotWindow->SetSizer(slotBoxes.sizer);
#ifdef __WXGTK3__
    // GTK's overlay scroll bars show only under the pointer; the row must
    // always show that it scrolls.
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(slotWindow->GetHandle()), FALSE);
#endif
    // Room for the 40-pixel row and the horizontal scroll bar below it.
    slotWindow->SetMinSize(wxSize(-1, 64));
    AddPageRow(column)->Add(slotWindow, 1, wxALL | wxEXPAND, 5);

    // The working pattern, kept up to date as fields and boxes change.
    preview = new PatternPreviewControl(page, wxID_ANY, "ID_PATTERNPREVIEW2");
    AddPageRow(column)->Add(preview, 1, wxALL | wxEXPAND, 5);

    AddSeparator(page, AddPageRow(column), "ID_STATICLINE3", 1, wxALIGN_CENTER_VERTICAL);

    wxBoxSizer* pictureRow = AddPageRow(column);
    pictureRow->Add(30, 20, 0, 0, 0);
    // Decoded when the page is first shown.
    pictureRow->Add(new PictureControl(page, "share\\MagneticPulses.PNG", "ID_STATICBITMAP1"), 0, wxALL, 5);

    // The page already has its size in the window's notebook: laid out at
    // that size, not fitted to its content. Where the window is too low for
    // all of it (near its smallest size) the page scrolls, so that no row and
    // no part of the pulses picture is cut off. GTK's scroll bar lies over
    // the page there, and leaves the rows their width.
    page->SetSizer(column);
    SetScrollRate(0, 10);
    FitInside();
    page->Layout();

    // The working pattern is kept up to date in idle time. Focus events do
    // not travel up to the frame: leaving a field is bound on the field.
    preview->SetExtraStyle(preview->GetExtraStyle() | wxWS_EX_PROCESS_UI_UPDATES);
    preview->Bind(wxEVT_UPDATE_UI, &AdvancedSettingsPage::OnPatternPreviewUpdateUI, this);
    baseTimePeriodField->Bind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnBaseTimePeriodKillFocus, this);
    baseFrequencyField->Bind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnBaseFrequencyKillFocus, this);
    slotCountField->Bind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnSlotCountKillFocus, this);

    // What the page held until now goes into its controls, which hold it from
    // here on. Boxes made before any other change keep the start pattern's
    // window name.
    for (int field = 0; field < FieldCount; ++field)
        FieldControl(static_cast<Field>(field))->ChangeValue(unshown.texts[field]);
    AddSlotBoxes(static_cast<int>(unshown.slots.size()), slotBoxesRebuilt ? "ID_CHECKBOX6" : "ID_CHECKBOX0");
    for (int i = 0; i < slotBoxes.count; ++i)
        slotBoxes.boxes[i]->SetValue(unshown.slots[i]);
    unshown = Unshown();
}

AdvancedSettingsPage::~AdvancedSettingsPage()
{
    // The fields lose the focus while the base window destroys them, after
    // this object is gone: their handlers must not run then.
    if (!HasContent())
        return;
    baseTimePeriodField->Unbind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnBaseTimePeriodKillFocus, this);
    baseFrequencyField->Unbind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnBaseFrequencyKillFocus, this);
    slotCountField->Unbind(wxEVT_KILL_FOCUS, &AdvancedSettingsPage::OnSlotCountKillFocus, this);
}
