#include "ui/widgets/stick_area_panel.h"

#include <algorithm>

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "treatments/pattern_preview.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/pattern_preview_control.h"
#include "ui/widgets/theme_colours.h"

namespace {
wxStaticText* AddLine(wxWindow* parent, wxBoxSizer* column, const char* name)
{
    wxStaticText* line = new wxStaticText(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                          wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, name);
    column->Add(line, 0, wxEXPAND, 0);
    return line;
}
}  // namespace

StickAreaPanel::StickAreaPanel(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL20")
{
    // Two rows of two lines: the heading over the state of the field or of
    // the last write; the drawing; the title over the slot frequency and
    // count. As low as it can be, to take little from the pages below.
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* headingColumn = new wxBoxSizer(wxVERTICAL);
    // TRANSLATORS: heading of the band above the pages that shows the programme the stick runs.
    wxStaticText* heading = new wxStaticText(this, wxID_ANY, _("On the stick"), wxDefaultPosition,
                                             wxDefaultSize, 0, "ID_STATICTEXT50");
    StyleText(heading, PageFont(10, wxFONTWEIGHT_BOLD));
    headingColumn->Add(heading, 0, 0, 0);
    stateLine = AddLine(this, headingColumn, "ID_STATICTEXT53");
    stateLine->SetFont(GetFont().Smaller());
    stateLine->SetMinSize(wxSize(GetTextExtent("written and checked at 00:00").x, -1));
    row->Add(headingColumn, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    preview = new PatternPreviewControl(this, wxID_ANY, "ID_PATTERNPREVIEW3");
    preview->HideLabels();
    preview->SetMinSize(wxSize(240, 2 * GetCharHeight()));
    row->Add(preview, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 8);

    wxBoxSizer* lines = new wxBoxSizer(wxVERTICAL);
    titleLine = AddLine(this, lines, "ID_STATICTEXT51");
    titleLine->SetFont(PageFont(10, wxFONTWEIGHT_BOLD));
    detailLine = AddLine(this, lines, "ID_STATICTEXT52");
    detailLine->SetFont(GetFont().Smaller());
    // Each line keeps its height when empty, so nothing below moves.
    for (wxStaticText* line : {titleLine, detailLine, stateLine})
        line->SetMinSize(wxSize(std::max(10, line->GetMinSize().x), line->GetCharHeight()));
    row->Add(lines, 1, wxALIGN_CENTER_VERTICAL, 0);

    SetSizer(row);
    ShowNoStick();
    Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& event) {
        Render();
        event.Skip();
    });
}

void StickAreaPanel::ShowNoStick()
{
    state = State::NoStick;
    fieldOff = false;
    portText.clear();
    Render();
}

void StickAreaPanel::ShowAsking(const wxString& where, const wxString& product)
{
    state = State::Asking;
    fieldOff = false;
    portText = product.empty()
                   // TRANSLATORS: %s is the port the stick was found on: "/dev/ttyUSB0" or "COM3".
                   ? wxString::Format(_("Found on %s"), where)
                   // TRANSLATORS: the port the stick was found on ("/dev/ttyUSB0"), then the name its USB
                   // serial bridge gives itself ("FT232R USB UART").
                   : wxString::Format(_("Found on %s (%s)"), where, product);
    Render();
}

void StickAreaPanel::ShowAskingAgain()
{
    state = State::Asking;
    checkedAt.clear();
    Render();
}

void StickAreaPanel::ShowNoAnswer()
{
    if (state != State::Asking)
        return;
    state = State::NoAnswer;
    Render();
}

void StickAreaPanel::ShowProgramme(const FiringPattern& shown, const wxString& shownTitle,
                                   const wxString& checked, bool written)
{
    state = State::Programme;
    pattern = shown;
    title = shownTitle;
    checkedAt = checked;
    if (written)
        fieldOff = false;
    Render();
}

void StickAreaPanel::ShowFieldOff(const wxString& time)
{
    fieldOff = true;
    fieldOffTime = time;
    checkedAt.clear();
    Render();
}

void StickAreaPanel::ShowPortsBeyondSearch(const std::vector<int>& numbers)
{
    portsBeyondSearch = numbers;
    Render();
}

void StickAreaPanel::Render()
{
    wxString lines[3];
    switch (state) {
        case State::NoStick:
            lines[0] = _("No Vitrel stick is attached.");
            lines[1] = _("Plug the stick in: its programme shows here.");
            if (!portsBeyondSearch.empty()) {
                wxString ports;
                for (int number : portsBeyondSearch)
                    ports += wxString::Format(ports.empty() ? "COM%d" : ", COM%d", number);
                lines[1] = wxString::Format(
                    // TRANSLATORS: %s names the ports ("COM12" or "COM10, COM12"); Help, Troubleshooting
                    // tells how to give the stick a lower number.
                    wxPLURAL(
                        "A serial device is on %s; the program looks for the stick on COM1 to COM9 only.",
                        "Serial devices are on %s; the program looks for the stick on COM1 to COM9 only.",
                        portsBeyondSearch.size()),
                    ports);
            }
            break;
        case State::Asking:
            lines[0] = _("Asking the stick for its programme...");
            break;
        case State::NoAnswer:
            lines[0] = _("The stick did not tell which programme it holds.");
            lines[1] = _("Plug the stick in again to ask once more.");
            break;
        case State::Programme:
            // TRANSLATORS: in place of a treatment's title: the stick runs a pattern of no treatment.
            lines[0] = title.empty() ? _("Custom pattern") : title;
            lines[1] = wxString::Format(
                // TRANSLATORS: %s is the slot frequency with its unit ("80 Hz"), %d the number of slots.
                wxPLURAL("Slot frequency %s, %d slot", "Slot frequency %s, %d slots", pattern.NumberOfSlots),
                PreviewQuantityText(FormatPreviewFrequency(pattern.BaseFrequency * pattern.NumberOfSlots)),
                pattern.NumberOfSlots);
            if (!checkedAt.empty())
                // TRANSLATORS: %s is the time (hours:minutes) the programme was written and read back.
                lines[2] = wxString::Format(_("written and checked at %s"), checkedAt);
            break;
    }
    if (!portText.empty())
        lines[1] = lines[1].empty() ? portText : lines[1] + wxString::FromUTF8(" \u00b7 ") + portText;
    if (fieldOff)
        // TRANSLATORS: %s is the time (hours:minutes) Turn Off was pressed; the field stays off until the
        // next write.
        lines[2] = wxString::Format(_("Field off since %s"), fieldOffTime);
    SetLabelIfChanged(titleLine, lines[0]);
    SetLabelIfChanged(detailLine, lines[1]);
    SetLabelIfChanged(stateLine, lines[2]);
    // The state line stands out while the field is off.
    stateLine->SetForegroundColour(fieldOff ? ReadableInHue(wxColour(160, 22, 44),
                                                            stateLine->GetBackgroundColour(),
                                                            MinimumContrast(stateLine->GetFont()))
                                            : wxNullColour);

    const bool drawn = state == State::Programme;
    if (drawn)
        preview->ShowPattern(pattern);
    if (preview->IsShown() != drawn) {
        preview->Show(drawn);
        Layout();
    }
}
