#include <wx/bookctrl.h>
#include <wx/filefn.h>
#include <wx/mediactrl.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/common/resource_path.h"
#include "ui/pages/intro_page.h"
#include "ui/widgets/page_style.h"
#include "ui/widgets/theme_colours.h"
#include "ui/video/intro_video.h"

namespace {
// Where the video sits in the page's column, and the room it takes.
constexpr size_t IntroMediaRow = 1;
const wxSize IntroMediaSize(450, 253);

wxString IntroText()
{
    return _("VitrelPro is small, mobile and compact extra-low frequency magnetotherapy system for "
             "individual use that can be applied anywhere and any time.")
           + "\n\n"
           + _("Published studies report positive effects of extra-low-frequency pulsed magnetic "
               "fields for conditions such as joint and back pain, slowly healing bone fractures, "
               "soft-tissue injuries, swelling after sprains, and sleep and stress complaints.")
           + "\n\n"
           + _("The medical and biological applications of these fields are still under research, in "
               "particular the effects of different firing patterns, field distributions and "
               "resonance.")
           + "\n\n"
           + _("VitrelPro makes such research possible: it is small enough to be worn, and it repeats "
               "adjustable, long firing patterns continually. Several devices can be placed over the "
               "treated area at once.");
}
}  // namespace

IntroPage::IntroPage(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL6")
{
    // The words and the video are made when the page is first shown.
}

IntroPage::~IntroPage() = default;

void IntroPage::CreateContent()
{
    if (GetSizer() != nullptr)
        return;
    wxPanel* page = this;
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* heading = new wxBoxSizer(wxVERTICAL);
    wxStaticText* product =
        new wxStaticText(page, wxID_ANY, _("Vitrel"), wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT14");
    StyleText(product, PageFont(20, wxFONTWEIGHT_BOLD, "Arial"), wxColour(64, 52, 165));
    heading->Add(product, 0, 0, 0);
    wxStaticText* slogan =
        new wxStaticText(page, wxID_ANY, _("Gentle pulses, your pattern, wherever you are."),
                         wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT15");
    ShowInGivenColour(slogan, wxColour(173, 12, 16));
    heading->Add(slogan, 0, 0, 0);
    column->Add(heading, 0, wxALL | wxEXPAND, 5);

    // The video is made when the page is first shown (CreateMedia): the
    // media backend costs more to start than the rest of the window. Until
    // then a spacer of its size holds its place, so the page looks the same.
    column->Add(IntroMediaSize.x, IntroMediaSize.y, 0, wxALL, 5);

    wxTextCtrl* text =
        new wxTextCtrl(page, wxID_ANY, IntroText(), wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxBORDER_NONE | wxVSCROLL, wxDefaultValidator, "ID_TEXTCTRL14");
    const auto windowColour = [text] {
        text->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    };
    windowColour();
    text->Bind(wxEVT_SYS_COLOUR_CHANGED, [windowColour](wxSysColourChangedEvent& event) {
        windowColour();
        event.Skip();
    });
    column->Add(text, 1, wxALL | wxEXPAND, 5);

    // The page already has its size in the window's notebook: laid out at
    // that size, not fitted to its content.
    page->SetSizer(column);
    page->Layout();
}

void IntroPage::CreateMedia()
{
    if (video)
        return;
    // Playback starts when the video has loaded; its end is remembered, as
    // it is loaded afresh to start again. Without a player the spacer keeps
    // the video's room (the module is looked for once only).
    const auto ended = [this](wxMediaEvent& event) {
        videoEnded = true;
        event.Skip();
    };
    video = MakeIntroVideo(this, IntroMediaSize, {mediaLoaded, ended});
    if (!video)
        return;
    wxWindow* media = video->Window();
    if (mediaCreated)
        mediaCreated(media);
    // The video has no controls: a Tab stop there would show nothing.
    media->DisableFocusFromKeyboard();
    wxSizer* column = GetSizer();
    column->Remove(IntroMediaRow);
    column->Insert(IntroMediaRow, media, 0, wxALL, 5);
    Layout();
}

void IntroPage::Shown()
{
    CreateMedia();
    if (!videoLoaded || videoEnded) {
        // Playback starts when the video has loaded (MediaLoaded). The
        // player cannot start a video again once it has played to its end:
        // it is loaded afresh. A missing video was named at start-up; the
        // media backend would report it again in a box of its own.
        videoEnded = false;
        const wxString file = LocalizedResourcePath("share\\VitrelUSB.avi");
        videoLoaded = video && wxFileExists(file) && video->Load(file);
        return;
    }
    video->SetPlaybackRate(1.0);
    video->Play();
}

void IntroPage::Hidden()
{
    if (video)
        video->Stop();
}

void IntroPage::MediaLoaded()
{
    // The user may have left the page while the video was loading.
    const wxBookCtrlBase* book = wxDynamicCast(GetParent(), wxBookCtrlBase);
    if (video && book != nullptr && book->GetCurrentPage() == this)
        video->Play();
}
