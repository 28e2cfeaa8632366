// The main window as built: its properties, every named control, the menus
// and the small handlers of the shell.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/mediactrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/valnum.h>

#include "dialogs/about_dialog.h"
#include "treatments/body_spots.h"
#include "gui_test_support.h"

namespace {

struct NamedControl {
    const char* name;
    const wxClassInfo* type;
    const char* label;  // label or initial text; nullptr when not checked
};

// Every named control of the main window with its class and label or text.
const NamedControl MainWindowControls[] = {
    {"ID_PANEL1", wxCLASSINFO(wxPanel), nullptr},
    {"ID_GAUGE1", wxCLASSINFO(wxGauge), nullptr},
    {"ID_PANEL12", wxCLASSINFO(wxPanel), nullptr},
    {"ID_STATICTEXT22", wxCLASSINFO(wxStaticText), "Device Detached"},
    {"ID_PANEL13", wxCLASSINFO(wxPanel), nullptr},
    {"ID_CHECKBOX1", wxCLASSINFO(wxCheckBox), "Beeper"},
    {"ID_BUTTON15", wxCLASSINFO(wxButton), "Turn Off"},
    {"ID_BITMAPBUTTON1", wxCLASSINFO(wxBitmapButton), nullptr},
    {"ID_NOTEBOOK3", wxCLASSINFO(wxNotebook), nullptr},
    {"ID_PANEL4", wxCLASSINFO(wxPanel), nullptr},
    {"ID_STATICTEXT18", wxCLASSINFO(wxStaticText), "Vitrel"},
    {"ID_STATICTEXT19", wxCLASSINFO(wxStaticText), "Health Programmes"},
    {"ID_STATICLINE6", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_STATICTEXT20", wxCLASSINFO(wxStaticText), nullptr},
    {"ID_STATICTEXT1", wxCLASSINFO(wxStaticText), "Select Point Number From Picture:"},
    {"ID_CHOICE1", wxCLASSINFO(wxChoice), nullptr},
    {"ID_LISTBOX1", wxCLASSINFO(wxListBox), nullptr},
    {"ID_STATICLINE7", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_PANEL10", wxCLASSINFO(wxPanel), nullptr},
    {"ID_STATICTEXT21", wxCLASSINFO(wxStaticText), "Treatment:"},
    {"ID_STATICTEXT24", wxCLASSINFO(wxStaticText), nullptr},
    {"ID_TEXTCTRL13", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_BUTTON10", wxCLASSINFO(wxButton), "Apply"},
    {"ID_BUTTON9", wxCLASSINFO(wxButton), "Write Vitrel"},
    {"ID_PANEL5", wxCLASSINFO(wxPanel), nullptr},
    {"ID_STATICTEXT25", wxCLASSINFO(wxStaticText), "Advanced Settings"},
    {"ID_PANEL9", wxCLASSINFO(wxPanel), nullptr},
    {"ID_BUTTON4", wxCLASSINFO(wxButton), "Write Vitrel"},
    {"ID_BUTTON5", wxCLASSINFO(wxButton), "Read Vitrel"},
    {"ID_STATICLINE5", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_BUTTON7", wxCLASSINFO(wxButton), "Export to XML"},
    {"ID_BUTTON8", wxCLASSINFO(wxButton), "Import from XML"},
    {"ID_STATICTEXT13", wxCLASSINFO(wxStaticText),
     "This is section for advanced setting of Vitrel stick operation. It should be used only if "
     "you understand principles of pulse magnetic field characteristics and its impatc on body."},
    {"ID_STATICLINE4", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_STATICTEXT8", wxCLASSINFO(wxStaticText), "Base Time Period [sec]"},
    {"ID_TEXTCTRL7", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICTEXT16", wxCLASSINFO(wxStaticText), "Base Frequency [Hz]"},
    {"ID_TEXTCTRL11", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICTEXT10", wxCLASSINFO(wxStaticText), "Time Period Per Slot [sec]"},
    {"ID_TEXTCTRL9", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICTEXT17", wxCLASSINFO(wxStaticText), "Slot Frequency [Hz]"},
    {"ID_TEXTCTRL12", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICTEXT9", wxCLASSINFO(wxStaticText), "Number of Slots"},
    {"ID_TEXTCTRL8", wxCLASSINFO(wxTextCtrl), "10"},
    {"ID_STATICLINE2", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_STATICTEXT12", wxCLASSINFO(wxStaticText), "Vitrel firing pattern"},
    {"ID_SCROLLEDWINDOW1", wxCLASSINFO(wxScrolledWindow), nullptr},
    {"ID_STATICTEXT11", wxCLASSINFO(wxStaticText), "Label"},
    {"ID_STATICLINE3", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_STATICBITMAP1", wxCLASSINFO(wxStaticBitmap), nullptr},
    {"ID_PANEL8", wxCLASSINFO(wxPanel), nullptr},
    {"ID_NOTEBOOK1", wxCLASSINFO(wxNotebook), nullptr},
    {"ID_PANEL2", wxCLASSINFO(wxPanel), nullptr},
    {"ID_LISTVIEW1", wxCLASSINFO(wxListView), nullptr},
    {"ID_PANEL3", wxCLASSINFO(wxPanel), nullptr},
    {"ID_PANEL11", wxCLASSINFO(wxPanel), nullptr},
    {"ID_BUTTON13", wxCLASSINFO(wxButton), "New"},
    {"ID_BUTTON12", wxCLASSINFO(wxButton), "Save"},
    {"ID_BUTTON14", wxCLASSINFO(wxButton), "Close"},
    {"ID_STATICTEXT4", wxCLASSINFO(wxStaticText), "Date"},
    {"ID_TEXTCTRL2", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICTEXT5", wxCLASSINFO(wxStaticText), "Time"},
    {"ID_TEXTCTRL3", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATICLINE1", wxCLASSINFO(wxStaticLine), nullptr},
    {"ID_STATICTEXT6", wxCLASSINFO(wxStaticText), "Summary:"},
    {"ID_TEXTCTRL4", wxCLASSINFO(wxTextCtrl), ""},
    {"ID_TEXTCTRL5", wxCLASSINFO(wxTextCtrl), ""},
    {"ID_PANEL6", wxCLASSINFO(wxPanel), nullptr},
    {"ID_STATICTEXT14", wxCLASSINFO(wxStaticText), "Vitrel"},
    {"ID_STATICTEXT15", wxCLASSINFO(wxStaticText), nullptr},
    {"ID_MEDIA", wxCLASSINFO(wxMediaCtrl), nullptr},
    {"ID_TEXTCTRL14", wxCLASSINFO(wxTextCtrl), nullptr},
    {"ID_STATUSBAR", wxCLASSINFO(wxStatusBar), nullptr},
};

wxString LabelOrText(wxWindow* window)
{
    if (wxTextCtrl* text = dynamic_cast<wxTextCtrl*>(window))
        return text->GetValue();
    return window->GetLabel();
}

std::vector<std::string> TabTexts(wxNotebook* book)
{
    std::vector<std::string> texts;
    for (size_t i = 0; i < book->GetPageCount(); ++i)
        texts.push_back(book->GetPageText(i).utf8_string());
    return texts;
}

bool SameBitmap(const wxBitmap& shown, const char* file)
{
    wxImage expected(file, wxBITMAP_TYPE_PNG);
    wxImage actual = shown.ConvertToImage();
    return expected.IsOk() && actual.IsOk() && expected.GetSize() == actual.GetSize() &&
           std::equal(actual.GetData(), actual.GetData() + actual.GetWidth() * actual.GetHeight() * 3,
                      expected.GetData());
}

// The smallest box holding every pixel where `shown` differs from the
// picture in `file`; empty when they are the same.
wxRect ChangedArea(const wxBitmap& shown, const char* file)
{
    const wxImage expected(file, wxBITMAP_TYPE_PNG);
    const wxImage actual = shown.ConvertToImage();
    wxRect area;
    for (int y = 0; y < actual.GetHeight(); ++y)
        for (int x = 0; x < actual.GetWidth(); ++x)
            if (actual.GetRed(x, y) != expected.GetRed(x, y) ||
                actual.GetGreen(x, y) != expected.GetGreen(x, y) ||
                actual.GetBlue(x, y) != expected.GetBlue(x, y))
                area.Union(wxRect(x, y, 1, 1));
    return area;
}

int MenuId(wxFrame* frame, const char* menu, const char* item)
{
    return frame->GetMenuBar()->FindMenuItem(menu, item);
}

void SendMenu(wxFrame* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

// Answers a modal dialog with wxID_OK and remembers which dialog it was.
class RecordingAnswer : public wxExpectModalBase<wxDialog, RecordingAnswer> {
public:
    explicit RecordingAnswer(wxDialog** seen) : seen(seen) {}

protected:
    int OnInvoked(wxDialog* dialog) const override
    {
        *seen = dialog;
        return wxID_OK;
    }

private:
    wxDialog** seen;
};

}  // namespace

using MainWindow = FrameTest;

TEST_F(MainWindow, HasItsTitleSizesAndPages)
{
    CreateFrame();
    EXPECT_EQ(frame->GetTitle(), "Vitrel Interface");
    EXPECT_EQ(frame->GetName(), "wxID_ANY");
    EXPECT_EQ(frame->GetClientSize(), wxSize(960, 690));
    EXPECT_EQ(frame->GetMinSize(), wxSize(837, 670));
    EXPECT_EQ(TabTexts(Find<wxNotebook>("ID_NOTEBOOK3")),
              (std::vector<std::string>{"Treatments", "Advanced Settings", "Diary", "Intro"}));
    EXPECT_EQ(Find<wxNotebook>("ID_NOTEBOOK3")->GetSelection(), 0);
    EXPECT_EQ(TabTexts(Find<wxNotebook>("ID_NOTEBOOK1")),
              (std::vector<std::string>{"History", "Entry"}));
    // The device state, and the outcome of the last write, empty until one.
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 2);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(1), "");
}

TEST_F(MainWindow, EveryNamedControlExistsWithItsClassAndText)
{
    CreateFrame();
    for (const NamedControl& control : MainWindowControls) {
        SCOPED_TRACE(control.name);
        wxWindow* window = wxWindow::FindWindowByName(control.name, frame);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->IsKindOf(control.type)) << window->GetClassInfo()->GetClassName();
        if (control.label) {
            EXPECT_EQ(LabelOrText(window).utf8_string(), control.label);
        }
    }
    const wxString intro = Find<wxStaticText>("ID_STATICTEXT20")->GetLabel();
    EXPECT_TRUE(intro.StartsWith("Based on recent scientific work"));
    EXPECT_TRUE(intro.EndsWith("CAUTION: Please consult with your doctor before using this product."));
    EXPECT_TRUE(Find<wxTextCtrl>("ID_TEXTCTRL14")->GetValue().StartsWith(
        "VitrelPro is small, mobile and compact extra-low frequency magnetotherapy system"));
    EXPECT_EQ(Find<wxPanel>("ID_PANEL12")->GetBackgroundColour(), wxColour(224, 44, 71));
    EXPECT_EQ(Find<wxPanel>("ID_PANEL10")->GetBackgroundColour(), wxColour(199, 199, 199));
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL11")->GetBackgroundColour(), wxColour(255, 255, 190));
    EXPECT_EQ(Find<wxGauge>("ID_GAUGE1")->GetRange(), 100);
}

TEST_F(MainWindow, SpotChoiceListsAllGeneralAndTwentyFourSpots)
{
    CreateFrame();
    wxChoice* spots = Find<wxChoice>("ID_CHOICE1");
    ASSERT_EQ(spots->GetCount(), 26u);
    EXPECT_EQ(spots->GetString(0), "All");
    EXPECT_EQ(spots->GetString(1), "General Treatments");
    EXPECT_EQ(spots->GetString(2), "Spot 1");
    EXPECT_EQ(spots->GetString(25), "Spot 24");
    EXPECT_EQ(spots->GetSelection(), 0);
    EXPECT_EQ(spots->GetToolTipText(), "Select Point");
}

TEST_F(MainWindow, StartUpRemovesTheTemporariesOfKilledSavesOnly)
{
    WriteWorkFile(".AdvancedSettings.xml.Ab12Cd", "half a pattern");
    WriteWorkFile(".DiaryHistoryDB.xml.x9Y8z7", "half a diary");
    WriteWorkFile(".DiaryHistoryDB.xml.notes", "the user's own");
    CreateFrame();
    EXPECT_FALSE(WorkFileExists(".AdvancedSettings.xml.Ab12Cd"));
    EXPECT_FALSE(WorkFileExists(".DiaryHistoryDB.xml.x9Y8z7"));
    EXPECT_TRUE(WorkFileExists(".DiaryHistoryDB.xml.notes"));
}

TEST_F(MainWindow, StartsWithTenSilentSlotBoxes)
{
    CreateFrame();
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL8")->GetValue(), "10");
    wxScrolledWindow* row = Find<wxScrolledWindow>("ID_SCROLLEDWINDOW1");
    int boxes = 0;
    for (wxWindow* child : row->GetChildren()) {
        if (wxCheckBox* box = dynamic_cast<wxCheckBox*>(child)) {
            ++boxes;
            EXPECT_EQ(box->GetName(), "ID_CHECKBOX0");
            EXPECT_FALSE(box->GetValue());
        }
    }
    EXPECT_EQ(boxes, 10);
    EXPECT_EQ(frame->Slots().count, 10);
}

TEST_F(MainWindow, NumberFieldsFilterWhatIsTyped)
{
    CreateFrame();
    wxTextCtrl* slots = Find<wxTextCtrl>("ID_TEXTCTRL8");
    slots->ChangeValue("");
    EXPECT_EQ(Type(slots, "1a2.5-"), "125");
    slots->ChangeValue("");
    EXPECT_EQ(Type(slots, "250"), "250");
    slots->ChangeValue("");
    const wxString tooMany = Type(slots, "251");
    EXPECT_NE(tooMany, "251");

    for (const char* name : {"ID_TEXTCTRL11", "ID_TEXTCTRL7"}) {
        SCOPED_TRACE(name);
        wxTextCtrl* real = Find<wxTextCtrl>(name);
        real->ChangeValue("");
        EXPECT_EQ(Type(real, "-2.75"), "-2.75");
        real->ChangeValue("");
        EXPECT_EQ(Type(real, "1x.5"), "1.5");
    }
    EXPECT_FALSE(Find<wxTextCtrl>("ID_TEXTCTRL9")->IsEnabled());
    EXPECT_FALSE(Find<wxTextCtrl>("ID_TEXTCTRL12")->IsEnabled());
}

TEST_F(MainWindow, BodyPictureCyclesFrontBackSideFront)
{
    CreateFrame();
    wxBitmapButton* picture = Find<wxBitmapButton>("ID_BITMAPBUTTON1");
    EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), "share/HumanBodyFront.png"));
    const char* expected[] = {"share/HumanBodyFront.png", "share/HumanBodyBack.png",
                              "share/HumanBodySideL.png", "share/HumanBodyFront.png"};
    for (const char* view : expected) {
        Click(picture);
        EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), view)) << view;
    }
}

TEST_F(MainWindow, TheChosenSpotIsRingedWhereTheTableSaysInTheViewOnScreen)
{
    CreateFrame();
    BodySpotTable table;
    ASSERT_TRUE(table.Load("share/BodySpots.csv"));
    wxBitmapButton* picture = Find<wxBitmapButton>("ID_BITMAPBUTTON1");
    // The ring is centred on the spot, a little larger than the drawn spot.
    auto expectRing = [&](int view, int spot, const char* file) {
        SCOPED_TRACE(::testing::Message() << "spot " << spot << " on " << file);
        const BodySpotPosition* position = table.Find(view, spot);
        ASSERT_NE(position, nullptr);
        const wxRect area = ChangedArea(picture->GetBitmapLabel(), file);
        EXPECT_NEAR(area.x + area.width / 2.0, position->x + 0.5, 1.0);
        EXPECT_NEAR(area.y + area.height / 2.0, position->y + 0.5, 1.0);
        EXPECT_GE(area.width, 28);
        EXPECT_LE(area.width, 40);
    };
    SelectChoice("ID_CHOICE1", 4);  // Spot 3, right shoulder: front and back
    expectRing(0, 3, "share/HumanBodyFront.png");
    Click(picture);
    expectRing(0, 3, "share/HumanBodyFront.png");
    Click(picture);
    expectRing(1, 3, "share/HumanBodyBack.png");
    Click(picture);  // the left side does not show it
    EXPECT_TRUE(ChangedArea(picture->GetBitmapLabel(), "share/HumanBodySideL.png").IsEmpty());
    SelectChoice("ID_CHOICE1", 25);  // Spot 24, left jaw: the side only
    expectRing(2, 24, "share/HumanBodySideL.png");
    for (int item : {0, 1}) {  // "All", "General Treatments"
        SelectChoice("ID_CHOICE1", item);
        EXPECT_TRUE(ChangedArea(picture->GetBitmapLabel(), "share/HumanBodySideL.png").IsEmpty());
    }
    Click(picture);
    EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), "share/HumanBodyFront.png"));
}

TEST_F(MainWindow, IntroVideoPlaysOnlyOnTheIntroPage)
{
    CreateFrame();
    wxMediaCtrl* video = Find<wxMediaCtrl>("ID_MEDIA");
    wxNotebook* pages = Find<wxNotebook>("ID_NOTEBOOK3");
    // The video does not start while its page is hidden.
    RunEventLoopFor(1000);
    EXPECT_NE(video->GetState(), wxMEDIASTATE_PLAYING);
    pages->SetSelection(3);
    EXPECT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_PLAYING; }, 5000));
    pages->SetSelection(2);
    EXPECT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_STOPPED; }, 5000));
}

TEST_F(MainWindow, AboutShowsTheSameDialogEveryTime)
{
    CreateFrame();
    const int about = MenuId(frame, "Help", "About");
    ASSERT_NE(about, wxNOT_FOUND);
    wxDialog* first = nullptr;
    wxDialog* second = nullptr;
    wxTEST_DIALOG(SendMenu(frame, about), RecordingAnswer(&first));
    wxTEST_DIALOG(SendMenu(frame, about), RecordingAnswer(&second));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(dynamic_cast<wxVitrelAboutPanelDialog*>(first));
    EXPECT_FALSE(first->IsShown());
}

TEST_F(MainWindow, AboutBoxShowsVersionAndReadOnlyCredits)
{
    CreateFrame();
    wxWindow* about = wxWindow::FindWindowByName("id", frame);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GetLabel(), "About...");
    EXPECT_EQ(wxWindow::FindWindowByName("ID_STATICTEXT1", about)->GetLabel(), "Software Version: 1.5");
    EXPECT_TRUE(wxWindow::FindWindowByName("ID_STATICTEXT2", about)->GetLabel().StartsWith("Web: "));
    wxTextCtrl* credits = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL1", about));
    ASSERT_NE(credits, nullptr);
    EXPECT_FALSE(credits->IsEditable());
    const wxString text = credits->GetValue();
    EXPECT_TRUE(text.StartsWith("CREDITS\nFor development of VitrelPRO software"));
    // The projects in their order, one per line.
    static const char* const projects[] = {
        "wxWidgets (", "CodeBlocks (", "GCC (",     "KiCAD (",      "USBPicProg (",
        "FreeCAD (",   "Blender (",    "Inkscape (", "Elmer (",     "OpenOffice (",
        "Scribus (",   "Notepad++ (",  "VirtualBox (", "TinyXML2 (", "HelpMaker ("};
    size_t at = 0;
    for (const char* project : projects) {
        const size_t found = text.find(wxString("\n") + project, at);
        ASSERT_NE(found, wxString::npos) << project;
        at = found + 1;
    }
}

TEST_F(MainWindow, DiaryCloseShowsTheHistoryPage)
{
    CreateFrame();
    wxNotebook* diary = Find<wxNotebook>("ID_NOTEBOOK1");
    diary->SetSelection(1);
    Click(Find<wxButton>("ID_BUTTON14"));
    EXPECT_EQ(diary->GetSelection(), 0);
}

TEST_F(MainWindow, ResizingPutsTheCopyrightLineBack)
{
    CreateFrame();
    wxStatusBar* status = frame->GetStatusBar();
    status->SetStatusText("something else");
    wxSizeEvent resize(wxSize(400, 200));
    resize.SetEventObject(Find<wxMediaCtrl>("ID_MEDIA"));
    Find<wxMediaCtrl>("ID_MEDIA")->GetEventHandler()->ProcessEvent(resize);
    EXPECT_TRUE(status->GetStatusText().StartsWith("Copyright"));
}

TEST_F(MainWindow, QuitClosesTheWindow)
{
    CreateFrame();
    const int quit = MenuId(frame, "File", "Quit");
    ASSERT_NE(quit, wxNOT_FOUND);
    EXPECT_EQ(frame->GetMenuBar()->GetLabel(quit), "Quit\tAlt-F4");
    EXPECT_EQ(frame->GetMenuBar()->GetHelpString(quit), "Quit the application");
    bool destroyed = false;
    frame->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
        destroyed = destroyed || event.GetEventObject() == frame;
        event.Skip();
    });
    SendMenu(frame, quit);
    EXPECT_TRUE(WaitFor([&] { return destroyed; }, 5000));
    frame = nullptr;
}
