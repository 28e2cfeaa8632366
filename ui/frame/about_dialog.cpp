#include "ui/frame/about_dialog.h"

#include <algorithm>

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/common/resource_path.h"
#include "vitrel_version.h"

namespace {
const char* const MakerWebAddress = "https://www.vitrel.example";

struct CreditedProject {
    const char* name;
    const char* address;
};

const CreditedProject CreditedProjects[] = {
    {"wxWidgets", "https://www.wxwidgets.org"},
    {"CodeBlocks", "https://www.codeblocks.org"},
    {"GCC", "https://gcc.gnu.org"},
    {"KiCAD", "https://www.kicad.org"},
    {"USBPicProg", "http://usbpicprog.org"},
    {"FreeCAD", "https://www.freecad.org"},
    {"Blender", "https://www.blender.org"},
    {"Inkscape", "https://inkscape.org"},
    {"Elmer", "https://www.elmerfem.org"},
    {"OpenOffice", "https://www.openoffice.org"},
    {"Scribus", "https://www.scribus.net"},
    {"Notepad++", "https://notepad-plus-plus.org"},
    {"VirtualBox", "https://www.virtualbox.org"},
    {"TinyXML2", "https://github.com/leethomason/tinyxml2"},
    {"HelpMaker", "https://www.vizacc.com"},
};
// The credits text, lines separated by single line feeds. The projects'
// names and addresses are not translated.
wxString AboutCreditsText()
{
    wxString text = _("CREDITS") + "\n";
    text += _("For development of VitrelPRO software and hardware it was used Open Source tools and "
              "components. You can find the source code of their open source projects along with "
              "license information below. We acknowledge and are grateful to these developers for "
              "their contributions to open source.");
    text += "\n\n";
    bool first = true;
    for (const CreditedProject& project : CreditedProjects) {
        if (!first)
            text += "\n";
        text += wxString::Format("%s (%s)", project.name, project.address);
        first = false;
    }
    return text;
}

// A one-line text at least as large as its label measured in its own font,
// with a few pixels to spare: some toolkits (Wine's among them) report a best
// size that cuts the last characters off.
wxStaticText* WholeText(wxStaticText* text)
{
    const wxSize label = text->GetTextExtent(text->GetLabel());
    const wxSize best = text->GetBestSize();
    text->SetMinSize(wxSize(std::max(best.x, label.x + text->GetCharWidth()), std::max(best.y, label.y)));
    return text;
}
}  // namespace

wxVitrelAboutPanelDialog::wxVitrelAboutPanelDialog(wxWindow* parent, wxWindowID id)
{
    Create(parent, id, _("About..."), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "id");

    wxBoxSizer* outer = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* pictureRow = new wxBoxSizer(wxHORIZONTAL);
    pictureRow->Add(new wxStaticBitmap(this, wxID_ANY, LoadResourceBitmap("share\\VitrelFrontPanel.png"),
                                       wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, "ID_STATICBITMAP1"),
                    1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    column->Add(pictureRow, 0, wxEXPAND, 0);

    wxBoxSizer* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(
        WholeText(new wxStaticText(this, wxID_ANY,
                                   // TRANSLATORS: %s is the version number, e.g. "1.5".
                                   wxString::Format(_("Software Version: %s"), VITREL_VERSION),
                                   wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE, "ID_STATICTEXT1")),
        1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    texts->Add(WholeText(new wxStaticText(this, wxID_ANY,
                                          // TRANSLATORS: %s is the maker's web address.
                                          wxString::Format(_("Web: %s"), MakerWebAddress), wxDefaultPosition,
                                          wxDefaultSize, 0, "ID_STATICTEXT2")),
               1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    texts->Add(new wxTextCtrl(this, wxID_ANY, AboutCreditsText(), wxDefaultPosition, wxSize(-1, 220),
                              wxTE_MULTILINE | wxTE_READONLY | wxTE_CENTRE, wxDefaultValidator,
                              "ID_TEXTCTRL1"),
               0, wxALL | wxEXPAND, 5);
    column->Add(texts, 0, wxEXPAND, 0);

    // The box has no button: Escape closes it as the title bar's close box does.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE)
            Close();
        else
            event.Skip();
    });

    outer->Add(column, 0, wxALIGN_CENTER_VERTICAL, 4);
    SetSizer(outer);
    outer->Fit(this);
    outer->SetSizeHints(this);
}
