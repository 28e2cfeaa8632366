// The frame's own handlers: About, Quit, Help, the intro video, the page
// change, the body picture and the close of the window.
#include <string>

#include <wx/filename.h>
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

#ifdef __WXGTK__
#include <gdk/gdk.h>
#endif

#include "ui/common/resource_path.h"
#include "ui/common/translations.h"
#include "ui/frame/about_dialog.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/body_picture.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/intro_page.h"
#include "ui/pages/notebook_page.h"

namespace {
// The page at `index` of the main notebook; none for wxNOT_FOUND.
NotebookPage* PageAt(const wxNotebook* notebook, int index)
{
    return index == wxNOT_FOUND ? nullptr : dynamic_cast<NotebookPage*>(notebook->GetPage(index));
}
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
    introPage->MediaLoaded();
    event.Skip();
}

// A page makes its controls when it is first shown.
void wxVitrelFrame::OnMainNotebookPageChanged(wxBookCtrlEvent& event)
{
    if (NotebookPage* left = PageAt(mainNotebook, event.GetOldSelection()))
        left->Hidden();
    if (NotebookPage* shown = PageAt(mainNotebook, event.GetSelection())) {
        shown->CreateContent();
        shown->Shown();
    }
}

void wxVitrelFrame::OnBodyPictureClick(wxCommandEvent&)
{
    bodyPicture->Click();
}

void wxVitrelFrame::OnMediaResize(wxSizeEvent&)
{
    statusBar->SetStatusText(wxGetTranslation(wxString::FromUTF8(CopyrightLine)));
    diaryPage->FitSummaryColumn();
}

// Closing asks about typed, unsaved diary text.
void wxVitrelFrame::OnFrameClose(wxCloseEvent& event)
{
    if (!diaryPage->SettleUnsavedEntry(event.CanVeto())) {
        event.Veto();
        return;
    }
    // The window goes now. The exit save forces its file and folder to the
    // disk, which on a busy machine takes seconds: a window left on screen
    // that long is a close box that seems to do nothing, and a second click
    // does nothing either. No tick runs meanwhile.
    deviceTimer.Stop();
    Hide();
#ifdef __WXGTK__
    gdk_display_flush(gdk_display_get_default());
#endif
    event.Skip();
}
