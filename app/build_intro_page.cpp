#include <wx/mediactrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/page_style.h"
#include "app/resource_path.h"
#include "app/vitrel_frame.h"

namespace {
const wxWindowID ID_PANEL6 = wxNewId();
const wxWindowID ID_STATICTEXT14 = wxNewId();
const wxWindowID ID_STATICTEXT15 = wxNewId();
const wxWindowID ID_MEDIA = wxNewId();
const wxWindowID ID_TEXTCTRL14 = wxNewId();

wxString IntroText()
{
    return _("VitrelPro is small, mobile and compact extra-low frequency magnetotherapy system for "
             "individual use that can be applied anywhere and any time.") +
           "\n\n" +
           _("Published studies report positive effects of extra-low-frequency pulsed magnetic "
             "fields for conditions such as joint and back pain, slowly healing bone fractures, "
             "soft-tissue injuries, swelling after sprains, and sleep and stress complaints.") +
           "\n\n" +
           _("The medical and biological applications of these fields are still under research, in "
             "particular the effects of different firing patterns, field distributions and "
             "resonance.") +
           "\n\n" +
           _("VitrelPro makes such research possible: it is small enough to be worn, and it repeats "
             "adjustable, long firing patterns continually. Several devices can be placed over the "
             "treated area at once.");
}
}  // namespace

wxPanel* wxVitrelFrame::BuildIntroPage(wxNotebook* book)
{
    wxPanel* page = new wxPanel(book, ID_PANEL6, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                "ID_PANEL6");
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* heading = new wxBoxSizer(wxVERTICAL);
    wxStaticText* product = new wxStaticText(page, ID_STATICTEXT14, _("Vitrel"), wxDefaultPosition,
                                             wxDefaultSize, 0, "ID_STATICTEXT14");
    StyleText(product, PageFont(20, wxFONTWEIGHT_BOLD, "Arial"), wxColour(64, 52, 165));
    heading->Add(product, 0, 0, 0);
    wxStaticText* slogan = new wxStaticText(page, ID_STATICTEXT15,
                                            _("Gentle pulses, your pattern, wherever you are."),
                                            wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT15");
    slogan->SetForegroundColour(wxColour(173, 12, 16));
    heading->Add(slogan, 0, 0, 0);
    column->Add(heading, 0, wxALL | wxEXPAND, 5);

    introMedia = new wxMediaCtrl(page, ID_MEDIA, wxEmptyString,
                                 wxDefaultPosition, wxSize(450, 253), 0, wxEmptyString,
                                 wxDefaultValidator, "ID_MEDIA");
    // The video has no controls: a Tab stop there would show nothing.
    introMedia->DisableFocusFromKeyboard();
    column->Add(introMedia, 0, wxALL, 5);

    wxTextCtrl* text = new wxTextCtrl(page, ID_TEXTCTRL14, IntroText(), wxDefaultPosition,
                                      wxDefaultSize, wxTE_MULTILINE | wxBORDER_NONE | wxVSCROLL,
                                      wxDefaultValidator, "ID_TEXTCTRL14");
    text->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    column->Add(text, 1, wxALL | wxEXPAND, 5);

    FitPanel(page, column);
    return page;
}
