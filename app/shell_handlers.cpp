#include <wx/bmpbuttn.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/mediactrl.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <windows.h>
#include <shellapi.h>
#endif

#include "app/control_ids.h"
#include "app/resource_path.h"
#include "app/vitrel_frame.h"
#include "dialogs/about_dialog.h"

namespace {
// Which body view the next click shows: 0 front, 1 back, 2 left side.
int bodyPictureCycle = 0;

constexpr int DiaryPage = 2;
constexpr int IntroPage = 3;
}  // namespace

void wxVitrelFrame::OnAbout(wxCommandEvent&)
{
    aboutDialog->ShowModal();
}

void wxVitrelFrame::OnQuit(wxCommandEvent&)
{
    Close(false);
}

void wxVitrelFrame::OnHelp(wxCommandEvent&)
{
#ifdef __WXMSW__
    ShellExecuteW(nullptr, L"open", ResourcePath(HelpDocument).wc_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
#else
    // No .chm viewer here: the same pages are shipped as HTML.
    wxFileName page(ResourcePath(HelpDocument));
    page.MakeAbsolute();
    wxLaunchDefaultBrowser(wxFileName::FileNameToURL(page));
#endif
}

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
        if (!introVideoLoaded || introVideoEnded) {
            // Playback starts when the video has loaded (OnMediaLoaded). The
            // player cannot start a video again once it has played to its
            // end: it is loaded afresh. A missing video was named at
            // start-up; the media backend would report it again in a box of
            // its own.
            introVideoEnded = false;
            const wxString video = ResourcePath("share\\VitrelUSB.avi");
            introVideoLoaded = wxFileExists(video) && introMedia->Load(video);
            return;
        }
        introMedia->SetPlaybackRate(1.0);
        introMedia->Play();
    } else {
        introMedia->Stop();
    }
    // The list gets its final width only once its page is laid out: let the
    // Summary column fill the row from the first time the diary is shown.
    if (event.GetSelection() == DiaryPage)
        FitSummaryColumn();
}

void wxVitrelFrame::OnBodyPictureClick(wxCommandEvent&)
{
    static const char* const views[3] = {"share\\HumanBodyFront.png", "share\\HumanBodyBack.png",
                                         "share\\HumanBodySideL.png"};
    const char* view = views[bodyPictureCycle];
    bodyPictureCycle = (bodyPictureCycle + 1) % 3;
    bodyPicture->SetBitmapLabel(LoadResourceBitmap(view));
}

void wxVitrelFrame::OnMediaResize(wxSizeEvent&)
{
    statusBar->SetStatusText(wxString::FromUTF8(CopyrightLine));
    FitSummaryColumn();
}

void wxVitrelFrame::OnDiaryCloseClick(wxCommandEvent&)
{
    diaryNotebook->SetSelection(0);
}
