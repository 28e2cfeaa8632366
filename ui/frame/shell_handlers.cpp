#include <string>

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

#ifdef __WXGTK__
#include <gdk/gdk.h>
#endif

#include "ui/frame/about_dialog.h"
#include "ui/frame/resource_path.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/translations.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/body_picture.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/intro_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"

namespace {
// The pages' places in the main notebook.
constexpr int AdvancedSettingsPageIndex = 1;
constexpr int DiaryPageIndex = 2;
constexpr int IntroPageIndex = 3;
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

void wxVitrelFrame::OnMediaFinished(wxMediaEvent& event)
{
    introPage->MediaFinished();
    event.Skip();
}

void wxVitrelFrame::OnMainNotebookPageChanged(wxBookCtrlEvent& event)
{
    if (event.GetSelection() == IntroPageIndex) {
        introPage->Shown();
        return;
    }
    introPage->Hidden();
    if (event.GetSelection() == AdvancedSettingsPageIndex)
        advancedPage->CreateContent();
    if (event.GetSelection() == DiaryPageIndex)
        diaryPage->Shown();
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

// The pages' handlers: each does its page's work.
void wxVitrelFrame::OnBeeperClick(wxCommandEvent&)
{
    topStrip->SendBeeper(*session);
}

void wxVitrelFrame::OnTurnOffClick(wxCommandEvent&)
{
    // What the status bar said of the last write no longer holds.
    if (topStrip->TurnOff(*session))
        statusBar->SetStatusText(wxEmptyString, CheckStatusField);
}

void wxVitrelFrame::OnSpotChoiceSelect(wxCommandEvent&)
{
    treatmentsPage->FilterByChosenSpot();
}

void wxVitrelFrame::OnTreatmentListDClick(wxCommandEvent& event)
{
    treatmentsPage->PickRow(event.GetSelection());
}

void wxVitrelFrame::OnTreatmentListSelect(wxCommandEvent&)
{
    treatmentsPage->ShowListHint();
}

void wxVitrelFrame::OnApplyClick(wxCommandEvent&)
{
    treatmentsPage->ApplyPickedTreatment();
}

void wxVitrelFrame::OnWriteTreatmentClick(wxCommandEvent&)
{
    if (treatmentsPage->WriteToStick(*session))
        NoteWriter(CatalogueText(treatmentsPage->PickedTreatment()->Title));
}

void wxVitrelFrame::OnAdvancedWriteClick(wxCommandEvent&)
{
    if (advancedPage->WriteToStick(*session))
        NoteWriter(wxString());
}

void wxVitrelFrame::OnReadDeviceClick(wxCommandEvent&)
{
    advancedPage->ReadFromStick(*session);
}

void wxVitrelFrame::OnExportXmlClick(wxCommandEvent&)
{
    advancedPage->ExportPattern();
}

void wxVitrelFrame::OnImportXmlClick(wxCommandEvent&)
{
    advancedPage->ImportPattern();
}

void wxVitrelFrame::OnBaseTimePeriodEnter(wxCommandEvent&)
{
    advancedPage->TakeBaseTimePeriod();
}

void wxVitrelFrame::OnBaseFrequencyEnter(wxCommandEvent&)
{
    advancedPage->TakeBaseFrequency();
}

void wxVitrelFrame::OnSlotCountEnter(wxCommandEvent&)
{
    advancedPage->TakeSlotCount();
}

void wxVitrelFrame::OnBaseTimePeriodKillFocus(wxFocusEvent& event)
{
    advancedPage->TakeBaseTimePeriod();
    event.Skip();
}

void wxVitrelFrame::OnBaseFrequencyKillFocus(wxFocusEvent& event)
{
    advancedPage->TakeBaseFrequency();
    event.Skip();
}

void wxVitrelFrame::OnSlotCountKillFocus(wxFocusEvent& event)
{
    advancedPage->LeaveSlotCount();
    event.Skip();
}

void wxVitrelFrame::OnHistoryItemActivated(wxListEvent& event)
{
    diaryPage->OpenEntry(event.GetIndex());
}

void wxVitrelFrame::OnHistoryColumnEndDrag(wxListEvent& event)
{
    diaryPage->FitSummaryColumn();
    event.Skip();
}

void wxVitrelFrame::OnDiaryNewClick(wxCommandEvent&)
{
    diaryPage->NewEntry();
}

void wxVitrelFrame::OnDiarySaveClick(wxCommandEvent&)
{
    diaryPage->SaveEntry();
}

void wxVitrelFrame::OnDiaryCloseClick(wxCommandEvent&)
{
    diaryPage->CloseEntry();
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
