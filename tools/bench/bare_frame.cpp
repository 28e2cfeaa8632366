// The yardstick for scripts/bench: a bare window of the same toolkit with
// about as many ordinary controls as the program (4 notebook pages, 80
// controls) and a 100 ms timer that does nothing. No video, no data files,
// no device.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

namespace {

constexpr int Pages = 4;
constexpr int RowsPerPage = 4;  // each row: label, field, check box, button

class BareFrame : public wxFrame {
public:
    BareFrame() : wxFrame(nullptr, wxID_ANY, "Bare Frame")
    {
        wxPanel* panel = new wxPanel(this);
        wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
        column->Add(new wxGauge(panel, wxID_ANY, 100, wxDefaultPosition, wxSize(-1, 10)), 0, wxEXPAND | wxALL,
                    2);
        wxNotebook* book = new wxNotebook(panel, wxID_ANY);
        for (int p = 0; p < Pages; ++p)
            book->AddPage(BuildPage(book, p), wxString::Format("Page %d", p + 1));
        column->Add(book, 1, wxEXPAND | wxALL, 2);
        panel->SetSizer(column);
        CreateStatusBar()->SetStatusText("Ready");
        SetClientSize(wxSize(960, 690));
        timer.Bind(wxEVT_TIMER, [](wxTimerEvent&) {});
        timer.Start(100, wxTIMER_CONTINUOUS);
    }

private:
    static wxPanel* BuildPage(wxNotebook* book, int page)
    {
        wxPanel* panel = new wxPanel(book);
        wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
        for (int r = 0; r < RowsPerPage; ++r) {
            wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
            row->Add(new wxStaticText(panel, wxID_ANY, wxString::Format("Label %d.%d", page, r)), 1, wxALL,
                     4);
            row->Add(new wxTextCtrl(panel, wxID_ANY, "1"), 0, wxALL, 4);
            wxCheckBox* option = new wxCheckBox(panel, wxID_ANY, "Option");
            // One box ticked, as the program's Beeper box is while the
            // stick's beeper is on: the theme draws the tick from an SVG
            // icon, and loading the SVG library for it costs 6-7 MB.
            option->SetValue(page == 0 && r == 0);
            row->Add(option, 0, wxALL, 4);
            row->Add(new wxButton(panel, wxID_ANY, "Button"), 0, wxALL, 4);
            column->Add(row, 0, wxEXPAND);
        }
        const wxString items[] = {"One", "Two", "Three"};
        column->Add(new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, items), 0, wxALL, 4);
        column->Add(new wxListBox(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, items), 1,
                    wxEXPAND | wxALL, 4);
        panel->SetSizer(column);
        return panel;  // 18 controls a page
    }

    wxTimer timer;
};

class BareApp : public wxApp {
public:
    bool OnInit() override
    {
        (new BareFrame())->Show();
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP(BareApp);
