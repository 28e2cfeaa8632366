#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>
#if wxUSE_HTML
#include <wx/html/helpctrl.h>
#endif

#include "device/stick_session.h"
#include "files/atomic_file.h"
#include "ui/frame/resource_path.h"
#include "ui/frame/status_bar_fields.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/body_picture.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/intro_page.h"
#include "ui/pages/top_strip.h"
#include "ui/pages/treatments_page.h"
#include "ui/widgets/stick_area_panel.h"

// TRANSLATORS: the copyright line in the status bar.
const char* const CopyrightLine = wxTRANSLATE("Copyright \u00a9 2015-2026 Vitrel. All rights reserved.");

wxVitrelFrame::wxVitrelFrame(wxWindow* parent, wxWindowID id)
{
    // The window itself.
    Create(parent, id, _("Vitrel Interface"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE,
           "wxID_ANY");
    SetClientSize(wxSize(960, 690));
    SetMinSize(wxSize(837, 670));
    const wxBitmap iconBitmap = LoadResourceBitmap("share\\VitrelIcon24x24.ico");
    if (iconBitmap.IsOk()) {
        wxIcon icon;
        icon.CopyFromBitmap(iconBitmap);
        SetIcon(icon);
    }

    // Controls, menus, status bar.
    BuildControls();
    BuildMenuBar();
    BuildStatusBar();
    // The menu bar and status bar take their room from the client area; give
    // the pages their full 960 x 690 again, and the "On the stick" band its
    // own height above them.
    SetClientSize(wxSize(960, 690 + topStrip->StickArea().GetBestSize().y));

    // The timer's owner; the file dialogs are made when first opened.
    deviceTimer.SetOwner(this);

    // Handlers, and the pages wired to each other. The About box is made
    // when first asked for (OnAbout), as its picture and texts cost more
    // than they are used.
    BindHandlers();
    WirePages();

    // Find the stick and ask for its beeper state and its programme.
    WatchModalDialogs();
    StickSession::Listener& listener = *this;
    session =
        std::make_unique<StickSession>(listener, ResourceFilePath("VitrelFrequencyMeasurement.csv").c_str());
    session->Start(SteadyMilliseconds());

    // The Treatments page first. The intro video is loaded when its page is
    // first shown: a video loaded into a hidden control has no window to
    // draw into yet, and the media backend then opens a stray window of its
    // own over the desktop.
    mainNotebook->SetSelection(0);
    statusBar->SetStatusText(wxGetTranslation(wxString::FromUTF8(CopyrightLine)));

    // The data files, after removing what saves killed before their end
    // left beside them.
    RemoveLeftoverTemporaries(ResourceFilePath("AdvancedSettings.xml").c_str());
    RemoveLeftoverTemporaries(ResourceFilePath("DiaryHistoryDB.xml").c_str());
    advancedPage->LoadSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    catalogue.Load(ResourceFilePath("VitrelTreatmentsList.xml").c_str());
    // Told once the window shows, like the missing files.
    const wxString catalogueNotice =
        CatalogueProblemNotice(catalogue.Problem(), ResourcePath("VitrelTreatmentsList.xml"));
    if (!catalogueNotice.empty())
        CallAfter([catalogueNotice] { ShowNotice(catalogueNotice, "Treatments List"); });
    treatmentsPage->ShowCatalogue();
    bodyPicture->LoadSpots(ResourceFilePath("share\\BodySpots.csv").c_str());

    // The diary.
    diaryPage->ReadAtStart(ResourceFilePath("DiaryHistoryDB.xml").c_str());

    // The device monitor.
    deviceTimer.Start(100, wxTIMER_CONTINUOUS);
}

wxVitrelFrame::~wxVitrelFrame()
{
    advancedPage->SaveSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    deviceTimer.Stop();
#if wxUSE_HTML
    CloseHelpViewer();
#endif
    // The fields lose the focus while the base window destroys them, after
    // this object is gone: their handlers must not run then.
    if (advancedPage->HasContent()) {
        advancedPage->BaseTimePeriodField()->Unbind(wxEVT_KILL_FOCUS,
                                                    &wxVitrelFrame::OnBaseTimePeriodKillFocus, this);
        advancedPage->BaseFrequencyField()->Unbind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseFrequencyKillFocus,
                                                   this);
        advancedPage->SlotCountField()->Unbind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnSlotCountKillFocus, this);
    }
}

void wxVitrelFrame::BuildMenuBar()
{
    wxMenuBar* menuBar = new wxMenuBar();
    wxMenu* fileMenu = new wxMenu();
    fileMenu->Append(
        new wxMenuItem(fileMenu, wxID_EXIT, _("Quit\tAlt-F4"), _("Quit the application"), wxITEM_NORMAL));
    menuBar->Append(fileMenu, _("&File"));
    wxMenu* helpMenu = new wxMenu();
    // Not wxID_HELP: under GTK that stock id gives the item F1, the key of About.
    wxMenuItem* helpItem = helpMenu->Append(new wxMenuItem(
        helpMenu, wxID_ANY, _("Vitrel Help"), _("Show Vitrel Help Documentation"), wxITEM_NORMAL));
    Bind(wxEVT_MENU, &wxVitrelFrame::OnHelp, this, helpItem->GetId());
    helpMenu->AppendSeparator();
    helpMenu->Append(new wxMenuItem(helpMenu, wxID_ABOUT, _("About\tF1"),
                                    _("Show info about this application"), wxITEM_NORMAL));
    menuBar->Append(helpMenu, _("Help"));
    SetMenuBar(menuBar);
}

void wxVitrelFrame::BuildStatusBar()
{
    statusBar = new wxStatusBar(this, wxID_ANY, wxSTB_SIZEGRIP, "ID_STATUSBAR");
    // The device state, then the outcome of the last programme written.
    const int widths[2] = {-1, -1};
    const int styles[2] = {wxSB_NORMAL, wxSB_NORMAL};
    statusBar->SetFieldsCount(2, widths);
    statusBar->SetStatusStyles(2, styles);
    SetStatusBar(statusBar);
}

void wxVitrelFrame::BindHandlers()
{
    Bind(wxEVT_CHECKBOX, &wxVitrelFrame::OnBeeperClick, this, topStrip->BeeperBox()->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnTurnOffClick, this, topStrip->TurnOffButton()->GetId());
    Bind(wxEVT_CHOICE, &wxVitrelFrame::OnSpotChoiceSelect, this, treatmentsPage->SpotChoice()->GetId());
    Bind(wxEVT_LISTBOX_DCLICK, &wxVitrelFrame::OnTreatmentListDClick, this,
         treatmentsPage->TreatmentList()->GetId());
    Bind(wxEVT_LISTBOX, &wxVitrelFrame::OnTreatmentListSelect, this,
         treatmentsPage->TreatmentList()->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnApplyClick, this, treatmentsPage->ApplyButton()->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnWriteTreatmentClick, this, treatmentsPage->WriteButton()->GetId());
    // The Advanced Settings and diary pages' controls are made when each page
    // is first shown: bound then.
    advancedPage->contentCreated = [this] {
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnAdvancedWriteClick, this, advancedPage->WriteButton()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnReadDeviceClick, this, advancedPage->ReadButton()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnExportXmlClick, this, advancedPage->ExportButton()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnImportXmlClick, this, advancedPage->ImportButton()->GetId());
        Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseTimePeriodEnter, this,
             advancedPage->BaseTimePeriodField()->GetId());
        Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseFrequencyEnter, this,
             advancedPage->BaseFrequencyField()->GetId());
        Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnSlotCountEnter, this,
             advancedPage->SlotCountField()->GetId());
        advancedPage->BaseTimePeriodField()->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseTimePeriodKillFocus,
                                                  this);
        advancedPage->BaseFrequencyField()->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseFrequencyKillFocus,
                                                 this);
        advancedPage->SlotCountField()->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnSlotCountKillFocus, this);
    };
    diaryPage->contentCreated = [this] {
        Bind(wxEVT_LIST_ITEM_ACTIVATED, &wxVitrelFrame::OnHistoryItemActivated, this,
             diaryPage->HistoryList()->GetId());
        Bind(wxEVT_LIST_COL_END_DRAG, &wxVitrelFrame::OnHistoryColumnEndDrag, this,
             diaryPage->HistoryList()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryNewClick, this, diaryPage->NewButton()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiarySaveClick, this, diaryPage->SaveButton()->GetId());
        Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryCloseClick, this, diaryPage->CloseButton()->GetId());
    };
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &wxVitrelFrame::OnMainNotebookPageChanged, this, mainNotebook->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnBodyPictureClick, this, bodyPicture->GetId());
    Bind(wxEVT_MENU, &wxVitrelFrame::OnQuit, this, wxID_EXIT);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnAbout, this, wxID_ABOUT);
    Bind(wxEVT_TIMER, &wxVitrelFrame::OnDeviceTimer, this, deviceTimer.GetId());
    // Closing asks about unsaved diary text. The intro video's handlers are
    // bound when it is made (WirePages).
    Bind(wxEVT_CLOSE_WINDOW, &wxVitrelFrame::OnFrameClose, this);
}

// The pages talk to each other only through these hooks.
void wxVitrelFrame::WirePages()
{
    // A spot chosen on the picture narrows the list; the list narrowed turns
    // the picture to a view with the spot and rings it.
    bodyPicture->spotChosen = [this](int selection) { treatmentsPage->ChooseSpot(selection); };
    treatmentsPage->spotFilterChanged = [this](int selection) { bodyPicture->ShowSpotFilter(selection); };
    // Apply puts the picked treatment on the Advanced Settings page.
    treatmentsPage->applyPattern = [this](const FiringPattern& pattern) {
        advancedPage->ShowTreatment(pattern);
    };
    // A programme note that could not be added to the diary is told once no
    // other box is open.
    diaryPage->postNotice = [this](const char* message) { PostNotice(message, "Warning"); };
    // Playback starts when the video has loaded; its end is remembered so
    // that it can start again.
    introPage->mediaLoaded = [this](wxMediaEvent& event) { OnMediaLoaded(event); };
    introPage->mediaFinished = [this](wxMediaEvent& event) { OnMediaFinished(event); };
    introPage->mediaCreated = [this](wxWindow* media) {
        media->Bind(wxEVT_SIZE, &wxVitrelFrame::OnMediaResize, this);
    };
}
