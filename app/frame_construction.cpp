#include <wx/bitmap.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/mediactrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/datetime.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/stattext.h>
#include <wx/listbox.h>
#if wxUSE_HTML
#include <wx/html/helpctrl.h>
#endif

#include <tinyxml2.h>

#include "app/control_ids.h"
#include "app/pattern_preview_control.h"
#include "app/resource_path.h"
#include "app/translations.h"
#include "app/stick_area_panel.h"
#include "app/vitrel_frame.h"
#include "device/stick_session.h"
#include "diary/history_list_view.h"
#include "files/atomic_file.h"

// TRANSLATORS: the copyright line in the status bar.
const char* const CopyrightLine = wxTRANSLATE("Copyright \u00a9 2015-2026 Vitrel. All rights reserved.");

namespace {
std::unique_ptr<tinyxml2::XMLDocument> NewWorkingDocument()
{
    return std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
}
}  // namespace

wxVitrelFrame::wxVitrelFrame(wxWindow* parent, wxWindowID id)
{
    // 2. The window itself.
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

    // 3.-5. Controls, menus, status bar.
    BuildControls();
    BuildMenuBar();
    BuildStatusBar();
    // The menu bar and status bar take their room from the client area; give
    // the pages their full 960 x 690 again, and the "On the stick" band its
    // own height above them.
    SetClientSize(wxSize(960, 690 + stickArea->GetBestSize().y));

    // 6.-7. Timer owner; the file dialogs are made when first opened.
    deviceTimer.SetOwner(this);

    // 8. Handlers.
    BindHandlers();

    // 9.-10. The working documents; the About box is made when first asked
    // for (OnAbout), as its picture and texts cost more than they are used.
    advancedSettingsDocument = NewWorkingDocument();
    HistoryDocument = NewWorkingDocument();

    // 11. Find the stick and ask for its beeper state and its programme.
    WatchModalDialogs();
    StickSession::Listener& listener = *this;
    session =
        std::make_unique<StickSession>(listener, ResourceFilePath("VitrelFrequencyMeasurement.csv").c_str());
    session->Start(SteadyMilliseconds());

    // 12.-13. The start pattern: ten silent slots at a base frequency of 1 Hz,
    // every field derived from those two so that what is shown is what Write
    // would send.
    FiringPattern start;
    start.NumberOfSlots = 10;
    start.DeriveFromBaseFrequency(1.0, start.NumberOfSlots);
    ShowPatternFields(start);
    CreateDefaultSlotBoxes(start.NumberOfSlots);

    // 14.-16. The intro video is loaded when its page is first shown: a
    // video loaded into a hidden control has no window to draw into yet, and
    // the media backend then opens a stray window of its own over the desktop.
    mainNotebook->SetSelection(0);
    statusBar->SetStatusText(wxGetTranslation(wxString::FromUTF8(CopyrightLine)));

    // 17.-19. Data files, after removing what saves killed before their end
    // left beside them.
    RemoveLeftoverTemporaries(ResourceFilePath("AdvancedSettings.xml").c_str());
    RemoveLeftoverTemporaries(ResourceFilePath("DiaryHistoryDB.xml").c_str());
    LoadAdvancedSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    catalogue.Load(ResourceFilePath("VitrelTreatmentsList.xml").c_str(), treatmentList);
    // Told once the window shows, like the missing files.
    const wxString catalogueNotice =
        CatalogueProblemNotice(catalogue.Problem(), ResourcePath("VitrelTreatmentsList.xml"));
    if (!catalogueNotice.empty())
        CallAfter([catalogueNotice] { ShowNotice(catalogueNotice, "Treatments List"); });
    SelectedTreatment = 0;
    SpotFilter = 0;
    if (catalogue.Count() > 0) {
        treatmentList->SetSelection(0);
        treatmentTitle->SetLabel(CatalogueText(catalogue.Record(0).Title));
        treatmentDescription->SetValue(CatalogueText(catalogue.Record(0).Description));
    }
    ShowPickedTreatmentPattern();
    bodySpots.Load(ResourceFilePath("share\\BodySpots.csv").c_str());

    // 20.-23. The diary.
    // TRANSLATORS: the diary list's columns: the entry's date, its time of
    // day, and its summary.
    historyList->InsertColumn(0, _("Date"), wxLIST_FORMAT_CENTRE, wxLIST_AUTOSIZE);
    historyList->InsertColumn(1, _("Time"), wxLIST_FORMAT_CENTRE, wxLIST_AUTOSIZE);
    historyList->InsertColumn(2, _("Summary"), wxLIST_FORMAT_LEFT, wxLIST_AUTOSIZE_USEHEADER);
    ReadDiaryAtStart(ResourceFilePath("DiaryHistoryDB.xml").c_str());
    StampDiaryEntry(false);  // viewing, not composing: Save warns until New

    // 24.-25. The device monitor and the battery estimate.
    deviceTimer.Start(100, wxTIMER_CONTINUOUS);
}

wxVitrelFrame::~wxVitrelFrame()
{
    if (diaryReader.joinable())
        diaryReader.join();
    SaveAdvancedSettings(ResourceFilePath("AdvancedSettings.xml").c_str());
    deviceTimer.Stop();
#if wxUSE_HTML
    CloseHelpViewer();
#endif
    // The fields lose the focus while the base window destroys them, after
    // this object is gone: their handlers must not run then.
    baseTimePeriodField->Unbind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseTimePeriodKillFocus, this);
    baseFrequencyField->Unbind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseFrequencyKillFocus, this);
    slotCountField->Unbind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnSlotCountKillFocus, this);
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
    Bind(wxEVT_CHECKBOX, &wxVitrelFrame::OnBeeperClick, this, beeperCheck->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnTurnOffClick, this, turnOffButton->GetId());
    Bind(wxEVT_CHOICE, &wxVitrelFrame::OnSpotChoiceSelect, this, spotChoice->GetId());
    Bind(wxEVT_LISTBOX_DCLICK, &wxVitrelFrame::OnTreatmentListDClick, this, treatmentList->GetId());
    Bind(wxEVT_LISTBOX, &wxVitrelFrame::OnTreatmentListSelect, this, treatmentList->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnApplyClick, this, applyButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnWriteTreatmentClick, this, writeTreatmentButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnAdvancedWriteClick, this, advancedWriteButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnReadDeviceClick, this, readDeviceButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnExportXmlClick, this, exportButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnImportXmlClick, this, importButton->GetId());
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseTimePeriodEnter, this, baseTimePeriodField->GetId());
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnBaseFrequencyEnter, this, baseFrequencyField->GetId());
    Bind(wxEVT_TEXT_ENTER, &wxVitrelFrame::OnSlotCountEnter, this, slotCountField->GetId());
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &wxVitrelFrame::OnHistoryItemActivated, this, historyList->GetId());
    Bind(wxEVT_LIST_COL_END_DRAG, &wxVitrelFrame::OnHistoryColumnEndDrag, this, historyList->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryNewClick, this, diaryNewButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiarySaveClick, this, diarySaveButton->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnDiaryCloseClick, this, diaryCloseButton->GetId());
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &wxVitrelFrame::OnMainNotebookPageChanged, this, mainNotebook->GetId());
    Bind(wxEVT_BUTTON, &wxVitrelFrame::OnBodyPictureClick, this, bodyPicture->GetId());
    bodyPicture->Bind(wxEVT_LEFT_UP, &wxVitrelFrame::OnBodyPictureMouseUp, this);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnQuit, this, wxID_EXIT);
    Bind(wxEVT_MENU, &wxVitrelFrame::OnAbout, this, wxID_ABOUT);
    Bind(wxEVT_TIMER, &wxVitrelFrame::OnDeviceTimer, this, deviceTimer.GetId());
    baseTimePeriodField->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseTimePeriodKillFocus, this);
    baseFrequencyField->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnBaseFrequencyKillFocus, this);
    slotCountField->Bind(wxEVT_KILL_FOCUS, &wxVitrelFrame::OnSlotCountKillFocus, this);
    advancedPreview->SetExtraStyle(advancedPreview->GetExtraStyle() | wxWS_EX_PROCESS_UI_UPDATES);
    advancedPreview->Bind(wxEVT_UPDATE_UI, &wxVitrelFrame::OnPatternPreviewUpdateUI, this);
    // Closing asks about unsaved diary text. The intro video's handlers are
    // bound when it is made (CreateIntroMedia).
    Bind(wxEVT_CLOSE_WINDOW, &wxVitrelFrame::OnFrameClose, this);
}
