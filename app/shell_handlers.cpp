#include <string>

#include <wx/bmpbuttn.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/mediactrl.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#include <shellapi.h>
// Undoes what the Windows headers define over the toolkit's names
// (CreateDialog, GetClassInfo), for the toolkit headers that follow.
#include <wx/msw/winundef.h>
#endif
#if wxUSE_HTML
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/splitter.h>
#include <wx/treectrl.h>
#include <wx/log.h>
#endif

#include "app/control_ids.h"
#include "app/resource_path.h"
#include "app/translations.h"
#include "app/vitrel_frame.h"
#include "dialogs/about_dialog.h"

namespace {
constexpr int DiaryPage = 2;

// The ring around the chosen spot: outside the drawn spot (radius 9.5 with
// its white edge), in a colour the picture does not use.
const wxColour SpotRingColour(0, 110, 220);
constexpr int SpotRingRadius = 15;
constexpr int SpotRingWidth = 4;
constexpr int IntroPage = 3;
// A click this close to a spot's centre is on the spot: the drawn spot's
// radius and its white edge, and a little more.
constexpr int SpotClickRadius = 13;
}  // namespace

void wxVitrelFrame::OnAbout(wxCommandEvent&)
{
    // Made once, the first time it is asked for, and shown again after that.
    if (aboutDialog == nullptr)
        aboutDialog = new wxVitrelAboutPanelDialog(this, -1);
    aboutDialog->ShowModal();
}

void wxVitrelFrame::OnQuit(wxCommandEvent&)
{
    Close(false);
}

void wxVitrelFrame::OnHelp(wxCommandEvent&)
{
    // The book in the language the window speaks.
    const wxString book = HelpDocumentPath(TranslationLanguage());
#ifdef __WXMSW__
    ShellExecuteW(nullptr, L"open", book.wc_str(), nullptr, nullptr, SW_SHOWNORMAL);
#else
    // No .chm viewer here: the same book, zipped, in the toolkit's own help
    // viewer. Nothing is handed to a browser or to the desktop.
    if (!wxFileExists(book)) {
        wxFileName shown(book);
        shown.MakeAbsolute();
        ShowNotice(wxString::Format(_("The help could not be opened, because the file %s could "
                                      "not be found."),
                                    shown.GetFullPath()),
                   "Vitrel Help");
        return;
    }
    if (helpViewer == nullptr) {
        static bool zipReader = false;
        if (!zipReader) {
            wxFileSystem::AddHandler(new wxArchiveFSHandler);
            zipReader = true;
        }
        // No index panel: its list trips a GTK assertion when the window is
        // first laid out, and the contents and the search find every page.
        helpViewer = std::make_unique<wxHtmlHelpController>(
            wxHF_TOOLBAR | wxHF_CONTENTS | wxHF_SEARCH | wxHF_PRINT, this);
        // The window's title is the book's own title, in the book's language.
        helpViewer->SetTitleFormat("%s");
        wxLogNull quiet;  // a damaged book opens empty rather than in a log box
        helpViewer->AddBook(wxFileName(book));
    }
    // The window is made anew after the user closed it.
    const bool newWindow = helpViewer->GetFrame() == nullptr;
    helpViewer->DisplayContents();
    wxHtmlHelpFrame* window = helpViewer->GetFrame();
    if (newWindow && window != nullptr) {
        // Room for the pages' pictures beside the contents, every page
        // listed at once.
        window->SetSize(FromDIP(wxSize(900, 640)));
        window->CentreOnParent();
        window->GetHelpWindow()->GetSplitterWindow()->SetSashPosition(FromDIP(300));
        window->GetHelpWindow()->GetTreeCtrl()->ExpandAll();
    }
#endif
}

#if wxUSE_HTML
void wxVitrelFrame::CloseHelpViewer()
{
    // The help window tells its controller when it goes: it must go first,
    // now, while the controller is still there to be told.
    if (helpViewer != nullptr && helpViewer->GetFrame() != nullptr)
        delete helpViewer->GetFrame();
    helpViewer.reset();
}
#endif

void wxVitrelFrame::OnMediaLoaded(wxMediaEvent& event)
{
    // The user may have left the Intro page while the video was loading.
    if (mainNotebook->GetSelection() == IntroPage)
        introMedia->Play();
    event.Skip();
}

void wxVitrelFrame::OnMediaFinished(wxMediaEvent& event)
{
    introVideoEnded = true;
    event.Skip();
}

void wxVitrelFrame::OnMainNotebookPageChanged(wxBookCtrlEvent& event)
{
    if (event.GetSelection() == IntroPage) {
        CreateIntroMedia();
        if (!introVideoLoaded || introVideoEnded) {
            // Playback starts when the video has loaded (OnMediaLoaded). The
            // player cannot start a video again once it has played to its
            // end: it is loaded afresh. A missing video was named at
            // start-up; the media backend would report it again in a box of
            // its own.
            introVideoEnded = false;
            const wxString video = LocalizedResourcePath("share\\VitrelUSB.avi");
            introVideoLoaded = wxFileExists(video) && introMedia->Load(video);
            return;
        }
        introMedia->SetPlaybackRate(1.0);
        introMedia->Play();
    } else if (introMedia != nullptr) {
        introMedia->Stop();
    }
    // The list gets its final width only once its page is laid out: let the
    // Summary column fill the row from the first time the diary is shown.
    if (event.GetSelection() == DiaryPage) {
        FinishDiaryReading();
        FitSummaryColumn();
    }
}

// A click on a numbered spot chooses that spot; any other click, and Space
// or Enter on the focused picture, turns it to the next view.
void wxVitrelFrame::OnBodyPictureClick(wxCommandEvent&)
{
    if (bodyPictureClicked) {
        bodyPictureClicked = false;
        const wxBitmap shown = bodyPicture->GetBitmapLabel();
        // The picture is drawn in the middle of the button.
        const wxSize margin = (bodyPicture->GetClientSize() - shown.GetSize()) / 2;
        const int spot = bodySpots.SpotAt(bodyView, bodyPictureClickAt.x - margin.x,
                                          bodyPictureClickAt.y - margin.y, SpotClickRadius);
        if (spot > 0) {
            spotChoice->SetSelection(spot + 1);
            ShowSpotFilter(spot + 1);
            return;
        }
    }
    bodyView = (bodyView + 1) % BodyViewCount;
    ShowBodyPicture();
}

// Where the button was released: the click it makes follows at once.
void wxVitrelFrame::OnBodyPictureMouseUp(wxMouseEvent& event)
{
    bodyPictureClicked = true;
    bodyPictureClickAt = event.GetPosition();
    CallAfter([this] { bodyPictureClicked = false; });
    event.Skip();
}

void wxVitrelFrame::ShowBodyPicture()
{
    const std::string file = std::string("share\\") + BodyViewFiles[bodyView];
    wxBitmap picture = LoadResourceBitmap(file.c_str());
    // Filter item k + 1 shows spot k; "All" and "General Treatments" mark nothing.
    const BodySpotPosition* spot = bodySpots.Find(bodyView, SpotFilter - 1);
    if (spot != nullptr && picture.IsOk()) {
        wxMemoryDC dc(picture);
        dc.SetPen(wxPen(SpotRingColour, SpotRingWidth));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawCircle(spot->x, spot->y, SpotRingRadius);
        dc.SelectObject(wxNullBitmap);
    }
    bodyPicture->SetBitmapLabel(picture);
}

void wxVitrelFrame::OnMediaResize(wxSizeEvent&)
{
    statusBar->SetStatusText(wxGetTranslation(wxString::FromUTF8(CopyrightLine)));
    FitSummaryColumn();
}

void wxVitrelFrame::OnDiaryCloseClick(wxCommandEvent&)
{
    diaryNotebook->SetSelection(0);
}
