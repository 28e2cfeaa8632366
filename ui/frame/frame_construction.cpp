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
#include "ui/common/resource_path.h"
#include "ui/common/window_ids.h"
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

    // The timer's owner and id.
    deviceTimer.SetOwner(this, DeviceTimerId);

    // Handlers, and the pages wired to each other. The About box is made
    // when first asked for (OnAbout), as its picture and texts cost more
    // than they are used; the pattern and diary export dialogs when first
    // opened, by their pages.
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
    RemoveLeftoverTemporaries(DiaryFilePath().c_str());
    advancedPage->LoadAdvancedSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    catalogue.Load(ResourceFilePath("VitrelTreatmentsList.xml").c_str());
    // Told once the window shows, like the missing files.
    const wxString catalogueNotice =
        CatalogueProblemNotice(catalogue.Problem(), ResourcePath("VitrelTreatmentsList.xml"));
    if (!catalogueNotice.empty())
        CallAfter([catalogueNotice] { ShowNotice(catalogueNotice, "Treatments List"); });
    treatmentsPage->ShowCatalogue();
    bodyPicture->LoadSpots(ResourceFilePath("share\\BodySpots.csv").c_str());

    // The diary.
    diaryPage->ReadAtStart(DiaryFilePath().c_str());

    // The device monitor.
    deviceTimer.Start(100, wxTIMER_CONTINUOUS);
}

wxVitrelFrame::~wxVitrelFrame()
{
    advancedPage->SaveAdvancedSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    deviceTimer.Stop();
#if wxUSE_HTML
    CloseHelpViewer();
#endif
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
    helpMenu->Append(new wxMenuItem(helpMenu, HelpMenuItemId, _("Vitrel Help"),
                                    _("Show Vitrel Help Documentation"), wxITEM_NORMAL));
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

// The binding table, in its order. Command events travel up from a control to
// the frame, which binds them by the control's fixed id: also those of a page
// that makes its controls only when it is first shown. Focus and size events
// do not travel up: leaving a field of the Advanced Settings page is bound on
// the field as the page makes it, and the intro video's resizing on the video
// as it is made (WirePages).
void wxVitrelFrame::BindHandlers()
{
    Bind(wxEVT_CHECKBOX, &wxVitrelFrame::OnBeeperClick, this, BeeperBoxId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnTurnOffClick, this, TurnOffButtonId);
    Bind(wxEVT_CHOICE, &wxVitrelFrame::OnSpotChoiceSelect, this, SpotChoiceId);
    Bind(wxEVT_LISTBOX_DCLICK, &wxVitrelFrame::OnTreatmentListDClick, this, TreatmentListId);
    Bind(wxEVT_LISTBOX, &wxVitrelFrame::OnTreatmentListSelect, this, TreatmentListId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnApplyClick, this, ApplyButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnWriteTreatmentClick, this, WriteTreatmentButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnAdvancedWriteClick, this, AdvancedWriteButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnReadDeviceClick, this, ReadDeviceButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnExportXmlClick, this, ExportXmlButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnImportXmlClick, this, ImportXmlButtonId);
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseTimePeriodEnter, this, BaseTimePeriodFieldId);
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseFrequencyEnter, this, BaseFrequencyFieldId);
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnSlotCountEnter, this, SlotCountFieldId);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &wxVitrelFrame::OnHistoryItemActivated, this, HistoryListId);
    Bind(wxEVT_LIST_COL_END_DRAG, &wxVitrelFrame::OnHistoryColumnEndDrag, this, HistoryListId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryNewClick, this, DiaryNewButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiarySaveClick, this, DiarySaveButtonId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryCloseClick, this, DiaryCloseButtonId);
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &wxVitrelFrame::OnMainNotebookPageChanged, this, MainNotebookId);
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnBodyPictureClick, this, BodyPictureId);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnQuit, this, wxID_EXIT);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnHelp, this, HelpMenuItemId);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnAbout, this, wxID_ABOUT);
    Bind(wxEVT_TIMER, &wxVitrelFrame::OnDeviceTimer, this, DeviceTimerId);
    // Closing asks about unsaved diary text.
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
        advancedPage->ApplyTreatmentToPattern(pattern);
    };
    // A programme note that could not be added to the diary is told once no
    // other box is open.
    diaryPage->postNotice = [this](const char* message) { PostNotice(message, "Warning"); };
    // Playback starts when the video has loaded.
    introPage->mediaLoaded = [this](wxMediaEvent& event) { OnMediaLoaded(event); };
    introPage->mediaCreated = [this](wxWindow* media) {
        media->Bind(wxEVT_SIZE, &wxVitrelFrame::OnMediaResize, this);
    };
}
