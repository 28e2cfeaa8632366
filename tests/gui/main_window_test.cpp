// The main window as built: its properties, every named control, the menus
// and the small handlers of the shell.
#include <functional>
#include <memory>
#include <set>

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/mediactrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include "ui/widgets/picture_control.h"
#include "ui/widgets/stick_area_panel.h"
#include "ui/pages/treatments_page.h"
#include "ui/frame/about_dialog.h"
#include "treatments/body_spots.h"
#include "gui_test_support.h"

namespace {

struct NamedControl {
    const char* name;
    const char* label;  // label, or initial text of a text field
};

// The named controls that show a fixed label or text from the start.
const NamedControl MainWindowControls[] = {
    {"ID_STATICTEXT22", "Device Detached"},
    {"ID_CHECKBOX1", "Beeper"},
    {"ID_BUTTON15", "Turn Off"},
    {"ID_STATICTEXT18", "Vitrel"},
    {"ID_STATICTEXT19", "Health Programmes"},
    {"ID_STATICTEXT1", "Select Point Number From Picture:"},
    {"ID_STATICTEXT21", "Treatment:"},
    {"ID_BUTTON10", "Apply"},
    {"ID_BUTTON9", "Write Vitrel"},
    {"ID_STATICTEXT25", "Advanced Settings"},
    {"ID_BUTTON4", "Write Vitrel"},
    {"ID_BUTTON5", "Read Vitrel"},
    {"ID_BUTTON7", "Export to XML"},
    {"ID_BUTTON8", "Import from XML"},
    {"ID_STATICTEXT13",
     "This is section for advanced setting of Vitrel stick operation. It should be used only if "
     "you understand principles of pulse magnetic field characteristics and its impatc on body."},
    {"ID_STATICTEXT8", "Base Time Period [sec]"},
    {"ID_STATICTEXT16", "Base Frequency [Hz]"},
    {"ID_STATICTEXT10", "Time Period Per Slot [sec]"},
    {"ID_STATICTEXT17", "Slot Frequency [Hz]"},
    {"ID_STATICTEXT9", "Number of Slots"},
    {"ID_TEXTCTRL8", "10"},
    {"ID_STATICTEXT12", "Vitrel firing pattern"},
    {"ID_STATICTEXT11", "Label"},
    {"ID_BUTTON13", "New"},
    {"ID_BUTTON12", "Save"},
    {"ID_BUTTON14", "Close"},
    {"ID_STATICTEXT4", "Date"},
    {"ID_STATICTEXT5", "Time"},
    {"ID_STATICTEXT6", "Summary:"},
    {"ID_TEXTCTRL4", ""},
    {"ID_TEXTCTRL5", ""},
    {"ID_STATICTEXT14", "Vitrel"},
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
    return expected.IsOk() && actual.IsOk() && expected.GetSize() == actual.GetSize()
           && std::equal(actual.GetData(), actual.GetData() + actual.GetWidth() * actual.GetHeight() * 3,
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
            if (actual.GetRed(x, y) != expected.GetRed(x, y)
                || actual.GetGreen(x, y) != expected.GetGreen(x, y)
                || actual.GetBlue(x, y) != expected.GetBlue(x, y))
                area.Union(wxRect(x, y, 1, 1));
    return area;
}

// Answers a modal dialog with wxID_OK and remembers which dialog it was.
class RecordingAnswer : public wxExpectModalBase<wxDialog, RecordingAnswer> {
public:
    explicit RecordingAnswer(wxDialog** seen) : seen(seen) { }

protected:
    int OnInvoked(wxDialog* dialog) const override
    {
        *seen = dialog;
        return wxID_OK;
    }

private:
    wxDialog** seen;
};

// How many different colours the window shows on the screen.
size_t ColoursShown(wxWindow* window)
{
    const wxRect area = window->GetScreenRect();
    wxBitmap shot(area.width, area.height);
    {
        wxMemoryDC memory(shot);
        wxScreenDC screen;
        memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    }
    const wxImage image = shot.ConvertToImage();
    std::set<unsigned long> colours;
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i, rgb += 3)
        colours.insert((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
    return colours.size();
}

}  // namespace

// The About box is made when it is first asked for: opens it once through
// its menu item and gives the dialog that was shown.
class MainWindow : public FrameTest {
protected:
    wxDialog* OpenAboutBoxOnce()
    {
        wxDialog* about = nullptr;
        wxTEST_DIALOG(SendMenu(MenuId("Help", "About")), RecordingAnswer(&about));
        return about;
    }
};

TEST_F(MainWindow, HasItsTitleSizesAndPages)
{
    CreateFrame();
    EXPECT_EQ(frame->GetTitle(), "Vitrel Interface");
    EXPECT_EQ(frame->GetName(), "wxID_ANY");
    // 960 x 690 and 837 x 670, and the band of the "On the stick" area above the pages.
    const int band = Find<wxWindow>("ID_PANEL20")->GetBestSize().y;
    EXPECT_EQ(frame->GetClientSize(), wxSize(960, 690 + band));
    EXPECT_EQ(frame->GetMinSize(), wxSize(837, 670 + band));
    EXPECT_EQ(TabTexts(Find<wxNotebook>("ID_NOTEBOOK3")),
              (std::vector<std::string> {"Treatments", "Advanced Settings", "Diary", "Intro"}));
    EXPECT_EQ(Find<wxNotebook>("ID_NOTEBOOK3")->GetSelection(), 0);
    ShowPage(2);
    EXPECT_EQ(TabTexts(Find<wxNotebook>("ID_NOTEBOOK1")), (std::vector<std::string> {"History", "Entry"}));
    // The device state, and the outcome of the last write, empty until one.
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 2);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(1), "");
}

TEST_F(MainWindow, NamedControlsShowTheirTextsAndColours)
{
    CreateFrame();
    ShowEveryPage();
    for (const NamedControl& control : MainWindowControls)
        EXPECT_EQ(LabelOrText(Find<wxWindow>(control.name)).utf8_string(), control.label) << control.name;
    // The caution is wrapped to its width: compare it without its line breaks.
    wxString intro = Find<wxStaticText>("ID_STATICTEXT20")->GetLabel();
    intro.Replace("\n", " ");
    EXPECT_TRUE(intro.StartsWith("Based on recent scientific work"));
    EXPECT_TRUE(
        intro.EndsWith("condition. CAUTION: Please consult with your doctor before using this product."));
    EXPECT_TRUE(
        Find<wxTextCtrl>("ID_TEXTCTRL14")
            ->GetValue()
            .StartsWith("VitrelPro is small, mobile and compact extra-low frequency magnetotherapy system"));
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

TEST_F(MainWindow, EveryClickOnTheBodyPictureTurnsIt)
{
    CreateFrame();
    wxBitmapButton* picture = Find<wxBitmapButton>("ID_BITMAPBUTTON1");
    EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), "share/HumanBodyFront.png"));
    const char* expected[] = {"share/HumanBodyBack.png", "share/HumanBodySideL.png",
                              "share/HumanBodyFront.png", "share/HumanBodyBack.png"};
    for (const char* view : expected) {
        Click(picture);
        EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), view)) << view;
    }
}

size_t WindowsUnder(const wxWindow* window)
{
    size_t count = 1;
    for (const wxWindow* child : window->GetChildren())
        count += WindowsUnder(child);
    return count;
}

// At start only the page in front has its controls; the others are made,
// showing what was read at start, when each page is first shown.
TEST_F(MainWindow, HiddenPagesGetTheirControlsWhenFirstShown)
{
    CopyTestDataFile("diary_three_entries.xml", "DiaryHistoryDB.xml");
    CopyTestDataFile("pattern_expected_AdvancedSettings.xml", "AdvancedSettings.xml");
    const std::string settings = ReadWorkFile("AdvancedSettings.xml");
    CreateFrame();
    const size_t atStart = WindowsUnder(frame);
    EXPECT_FALSE(Find<wxWindow>("ID_PANEL4")->GetChildren().empty());  // Treatments
    for (const char* page : {"ID_PANEL5", "ID_PANEL8", "ID_PANEL6"})
        EXPECT_TRUE(Find<wxWindow>(page)->GetChildren().empty()) << page;
    // A pattern never shown is saved at exit as it was read.
    CloseFrame();
    EXPECT_EQ(ReadWorkFile("AdvancedSettings.xml"), settings);

    CreateFrame();
    EXPECT_EQ(wxWindow::FindWindowByName("ID_STATICBITMAP1", frame), nullptr);
    ShowPage(1);
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL11")->GetValue(), "3.000000");
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL8")->GetValue(), "6");
    EXPECT_EQ(SlotStates(), "101001");
    // The pulses picture is decoded, and drawn, with its page.
    PictureControl* picture = Find<PictureControl>("ID_STATICBITMAP1");
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->Decoded());
    EXPECT_EQ(picture->GetSize(), wxSize(440, 140));
    EXPECT_TRUE(SameBitmap(picture->Bitmap(), "share/MagneticPulses.PNG"));

    EXPECT_EQ(wxWindow::FindWindowByName("ID_LISTVIEW1", frame), nullptr);
    ShowPage(2);
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 3);
    EXPECT_TRUE(Find<wxWindow>("ID_PANEL6")->GetChildren().empty());
    ShowEveryPage();
    RecordProperty("windows_at_start", static_cast<int>(atStart));
    RecordProperty("windows_every_page_shown", static_cast<int>(WindowsUnder(frame)));
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

// Choosing a spot that the view on screen does not show turns the picture to
// one that does; a view that shows it stays.
TEST_F(MainWindow, ChoosingASpotTurnsThePictureToAViewThatShowsIt)
{
    CreateFrame();
    BodySpotTable table;
    ASSERT_TRUE(table.Load("share/BodySpots.csv"));
    wxBitmapButton* picture = Find<wxBitmapButton>("ID_BITMAPBUTTON1");
    const struct {
        int spot;
        const char* shown;
    } choices[] = {{24, "share/HumanBodySideL.png"},
                   {3, "share/HumanBodyFront.png"},
                   {18, "share/HumanBodyBack.png"},
                   {1, "share/HumanBodyBack.png"},
                   {9, "share/HumanBodyFront.png"}};
    for (const auto& c : choices) {
        SelectChoice("ID_CHOICE1", c.spot + 1);
        const wxRect ring = ChangedArea(picture->GetBitmapLabel(), c.shown);
        EXPECT_FALSE(ring.IsEmpty()) << "spot " << c.spot << " on " << c.shown;
        EXPECT_LE(ring.width, 40) << "spot " << c.spot << " on " << c.shown;
    }
}

// A real mouse click on a numbered spot chooses it; a click beside the spots
// turns the picture.
TEST_F(MainWindow, AClickOnANumberedSpotChoosesIt)
{
    CreateFrame();
    frame->Raise();
    RunEventLoopFor(100);
    BodySpotTable table;
    ASSERT_TRUE(table.Load("share/BodySpots.csv"));
    wxBitmapButton* picture = Find<wxBitmapButton>("ID_BITMAPBUTTON1");
    wxChoice* choice = Find<wxChoice>("ID_CHOICE1");
    const wxSize margin = (picture->GetClientSize() - picture->GetBitmapLabel().GetSize()) / 2;
    wxUIActionSimulator mouse;
    const auto clickAt = [&](int x, int y) {
        mouse.MouseMove(picture->ClientToScreen(wxPoint(x + margin.x, y + margin.y)));
        RunEventLoopFor(50);
        mouse.MouseClick();
        RunEventLoopFor(150);
    };
    const BodySpotPosition* spot10 = table.Find(0, 10);
    ASSERT_NE(spot10, nullptr);
    clickAt(spot10->x + 3, spot10->y - 2);
    EXPECT_EQ(choice->GetSelection(), 11);
    EXPECT_FALSE(ChangedArea(picture->GetBitmapLabel(), "share/HumanBodyFront.png").IsEmpty());
    // Beside the figure: the picture turns, the choice stays.
    clickAt(5, 5);
    EXPECT_EQ(choice->GetSelection(), 11);
    EXPECT_TRUE(SameBitmap(picture->GetBitmapLabel(), "share/HumanBodyBack.png"));
    const BodySpotPosition* spot19 = table.Find(1, 19);
    ASSERT_NE(spot19, nullptr);
    clickAt(spot19->x, spot19->y);
    EXPECT_EQ(choice->GetSelection(), 20);
    EXPECT_EQ(frame->Treatments().SpotFilter(), 20);
}

TEST_F(MainWindow, IntroVideoPlaysOnlyOnTheIntroPage)
{
    CreateFrame();
    wxNotebook* pages = Find<wxNotebook>("ID_NOTEBOOK3");
    // The video is made when its page is first shown; it does not start when
    // it has finished loading after the user left its page.
    RunEventLoopFor(1000);
    EXPECT_EQ(wxWindow::FindWindowByName("ID_MEDIA", frame), nullptr);
    pages->SetSelection(3);
    wxMediaCtrl* video = Find<wxMediaCtrl>("ID_MEDIA");
    ASSERT_NE(video, nullptr);
    pages->SetSelection(0);
    RunEventLoopFor(1500);
    EXPECT_NE(video->GetState(), wxMEDIASTATE_PLAYING);
    pages->SetSelection(3);
    EXPECT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_PLAYING; }, 5000));
    pages->SetSelection(2);
    EXPECT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_STOPPED; }, 5000));
}

TEST_F(MainWindow, IntroVideoStartsAgainAfterItsEnd)
{
    CreateFrame();
    wxNotebook* pages = Find<wxNotebook>("ID_NOTEBOOK3");
    pages->SetSelection(3);
    wxMediaCtrl* video = Find<wxMediaCtrl>("ID_MEDIA");
    ASSERT_NE(video, nullptr);
    bool finished = false;
    video->Bind(wxEVT_MEDIA_FINISHED, [&](wxMediaEvent& event) {
        finished = true;
        event.Skip();
    });
    ASSERT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_PLAYING; }, 5000));
    video->Seek(video->Length() - 300);
    ASSERT_TRUE(WaitFor([&] { return finished; }, 5000));
    pages->SetSelection(0);
    RunEventLoopFor(300);
    pages->SetSelection(3);
    EXPECT_TRUE(WaitFor([&] { return video->GetState() == wxMEDIASTATE_PLAYING; }, 5000));
    RunEventLoopFor(1000);
    EXPECT_EQ(video->GetState(), wxMEDIASTATE_PLAYING);
    EXPECT_LT(video->Tell(), video->Length() / 2);
    EXPECT_GT(ColoursShown(video), 16u);
}

TEST_F(MainWindow, SafetyCautionIsWholeAtEverySize)
{
    CreateFrame();
    wxStaticText* caution = Find<wxStaticText>("ID_STATICTEXT20");
    for (const wxSize& size : {frame->GetMinSize(), wxSize(1000, 760), wxSize(1500, 1100)}) {
        frame->SetSize(size);
        RunEventLoopFor(300);
        // What GTK needs to draw every line at the width the label has.
        int needed = 0;
        int natural = 0;
        gtk_widget_get_preferred_height_for_width(caution->GetHandle(), caution->GetSize().x, &needed,
                                                  &natural);
        EXPECT_GE(caution->GetSize().y, needed) << size.x << " x " << size.y;
        EXPECT_GE(caution->GetSize().x, caution->GetBestSize().x) << size.x << " x " << size.y;
    }
}

TEST_F(MainWindow, EscapeClosesTheAboutBox)
{
    CreateFrame();
    wxDialog* about = OpenAboutBoxOnce();
    ASSERT_NE(about, nullptr);
    // Should Escape do nothing, the box is ended after a while and the test fails.
    bool forced = false;
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        forced = true;
        about->EndModal(wxID_ABORT);
    });
    guard.StartOnce(3000);
    about->CallAfter([about] {
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(about);
        about->GetEventHandler()->ProcessEvent(escape);
    });
    SendMenu(MenuId("Help", "About"));
    guard.Stop();
    EXPECT_FALSE(forced);
    EXPECT_FALSE(about->IsShown());
}

TEST_F(MainWindow, MenuItemsCarryTheirAcceleratorsAndHelpTexts)
{
    struct Item {
        const char* menu;
        const char* item;
        const char* label;
        const char* help;
        int key;  // 0: no accelerator
        int modifiers;
    };
    const Item items[] = {
        {"File", "Quit", "Quit\tAlt-F4", "Quit the application", WXK_F4, wxACCEL_ALT},
        {"Help", "Vitrel Help", "Vitrel Help", "Show Vitrel Help Documentation", 0, 0},
        {"Help", "About", "About\tF1", "Show info about this application", WXK_F1, wxACCEL_NORMAL},
    };
    CreateFrame();
    for (const Item& item : items) {
        SCOPED_TRACE(item.item);
        const int id = MenuId(item.menu, item.item);
        ASSERT_NE(id, wxNOT_FOUND);
        EXPECT_EQ(frame->GetMenuBar()->GetLabel(id), item.label);
        EXPECT_EQ(frame->GetMenuBar()->GetHelpString(id), item.help);
        std::unique_ptr<wxAcceleratorEntry> accel(frame->GetMenuBar()->FindItem(id)->GetAccel());
        EXPECT_EQ(accel ? accel->GetKeyCode() : 0, item.key);
        EXPECT_EQ(accel ? accel->GetFlags() : 0, item.modifiers);
    }
}

TEST_F(MainWindow, AboutShowsTheSameDialogEveryTime)
{
    CreateFrame();
    const int about = MenuId("Help", "About");
    ASSERT_NE(about, wxNOT_FOUND);
    wxDialog* first = nullptr;
    wxDialog* second = nullptr;
    wxTEST_DIALOG(SendMenu(about), RecordingAnswer(&first));
    wxTEST_DIALOG(SendMenu(about), RecordingAnswer(&second));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(dynamic_cast<wxVitrelAboutPanelDialog*>(first));
    EXPECT_FALSE(first->IsShown());
}

TEST_F(MainWindow, AboutBoxShowsVersionAndReadOnlyCredits)
{
    CreateFrame();
    wxWindow* about = OpenAboutBoxOnce();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about, wxWindow::FindWindowByName("id", frame));
    EXPECT_EQ(about->GetLabel(), "About...");
    // The version project() in CMakeLists.txt holds, the one place it is written.
    const std::string cmake = ReadWholeFile(VITREL_SOURCE_DIR "/CMakeLists.txt");
    const std::size_t versionAt = cmake.find("project(Vitrel VERSION ") + 23;
    ASSERT_NE(versionAt, std::string::npos + 23);
    const std::string version = cmake.substr(versionAt, cmake.find(' ', versionAt) - versionAt);
    EXPECT_EQ(wxWindow::FindWindowByName("ID_STATICTEXT1", about)->GetLabel(),
              "Software Version: " + version);
    EXPECT_TRUE(wxWindow::FindWindowByName("ID_STATICTEXT2", about)->GetLabel().StartsWith("Web: "));
    wxTextCtrl* credits = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL1", about));
    ASSERT_NE(credits, nullptr);
    EXPECT_FALSE(credits->IsEditable());
    const wxString text = credits->GetValue();
    EXPECT_TRUE(text.StartsWith("CREDITS\nFor development of VitrelPRO software"));
    // The projects in their order, one per line.
    static const char* const projects[] = {"wxWidgets (",  "CodeBlocks (", "GCC (",      "KiCAD (",
                                           "USBPicProg (", "FreeCAD (",    "Blender (",  "Inkscape (",
                                           "Elmer (",      "OpenOffice (", "Scribus (",  "Notepad++ (",
                                           "VirtualBox (", "TinyXML2 (",   "HelpMaker ("};
    size_t at = 0;
    for (const char* project : projects) {
        const size_t found = text.find(wxString("\n") + project, at);
        ASSERT_NE(found, wxString::npos) << project;
        at = found + 1;
    }
}

// Each text of the About box is at least as large as its label measured in
// its own font.
TEST_F(MainWindow, AboutBoxTextsAreWhole)
{
    CreateFrame();
    wxDialog* about = nullptr;
    wxTEST_DIALOG(SendMenu(MenuId("Help", "About")), RecordingAnswer(&about));
    ASSERT_NE(about, nullptr);
    about->Layout();
    for (const char* name : {"ID_STATICTEXT1", "ID_STATICTEXT2"}) {
        wxWindow* text = wxWindow::FindWindowByName(name, about);
        ASSERT_NE(text, nullptr) << name;
        const wxSize needed = text->GetTextExtent(text->GetLabel());
        EXPECT_GE(text->GetSize().x, needed.x + text->GetCharWidth()) << name;
        EXPECT_GE(text->GetSize().y, needed.y) << name;
        EXPECT_GE(about->GetClientSize().x, text->GetRect().GetRight()) << name;
    }
}

namespace {
// The control as GTK draws it now, pixel by pixel.
std::vector<unsigned char> DrawnPixels(wxWindow* control)
{
    GtkWidget* widget = control->GetHandle();
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> pixels(data, data + cairo_image_surface_get_stride(surface) * height);
    cairo_surface_destroy(surface);
    return pixels;
}

void CollectKeyboardStops(wxWindow* window, std::vector<wxWindow*>& stops)
{
    if (!window->IsShownOnScreen() || !window->IsEnabled())
        return;
    if (window->AcceptsFocusFromKeyboard() && window->GetChildren().empty())
        stops.push_back(window);
    for (wxWindow* child : window->GetChildren())
        CollectKeyboardStops(child, stops);
}
}  // namespace

// Every control a Tab can reach shows that it holds the focus: GTK draws it
// differently once it has the focus in a window used from the keyboard.
TEST_F(MainWindow, KeyboardFocusIsVisibleOnEveryControlThatTakesIt)
{
    // A caret that blinks would make a text field differ, or not, by chance.
    g_object_set(gtk_settings_get_default(), "gtk-cursor-blink", FALSE, nullptr);
    CreateFrame();
    // Without a window manager nothing makes the window active; a key press
    // would make focus visible.
    gdk_window_focus(gtk_widget_get_window(frame->GetHandle()), GDK_CURRENT_TIME);
    gtk_window_set_focus_visible(GTK_WINDOW(frame->GetHandle()), TRUE);
    RunEventLoopFor(100);
    ShowPage(2);
    wxNotebook* pages = Find<wxNotebook>("ID_NOTEBOOK3");
    wxNotebook* diary = Find<wxNotebook>("ID_NOTEBOOK1");
    const struct {
        int page;
        int diaryPage;
    } views[] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 0}};
    std::set<wxWindow*> checked;
    for (const auto& view : views) {
        pages->SetSelection(view.page);
        diary->SetSelection(view.diaryPage);
        RunEventLoopFor(100);
        std::vector<wxWindow*> stops;
        CollectKeyboardStops(frame, stops);
        for (wxWindow* stop : stops) {
            if (!checked.insert(stop).second)
                continue;
            pages->SetFocus();
            RunEventLoopFor(30);
            const std::vector<unsigned char> before = DrawnPixels(stop);
            stop->SetFocus();
            RunEventLoopFor(30);
            EXPECT_TRUE(gtk_widget_is_focus(stop->GetHandle()) || stop->HasFocus()) << stop->GetName();
            EXPECT_NE(DrawnPixels(stop), before)
                << stop->GetName() << " (" << stop->GetClassInfo()->GetClassName() << ") on page "
                << view.page << "/" << view.diaryPage;
        }
    }
    EXPECT_GE(checked.size(), 20u);
}

TEST_F(MainWindow, DiaryCloseShowsTheHistoryPageAndKeepsTheEntry)
{
    CreateFrame();
    ShowPage(2);
    wxNotebook* diary = Find<wxNotebook>("ID_NOTEBOOK1");
    Click(Find<wxButton>("ID_BUTTON13"));
    Type(Find<wxTextCtrl>("ID_TEXTCTRL4"), "Half written");
    Type(Find<wxTextCtrl>("ID_TEXTCTRL5"), "to be continued");
    Click(Find<wxButton>("ID_BUTTON14"));
    EXPECT_EQ(diary->GetSelection(), 0);
    diary->SetSelection(1);
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL4")->GetValue(), "Half written");
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL5")->GetValue(), "to be continued");
    EXPECT_TRUE(Find<wxTextCtrl>("ID_TEXTCTRL4")->IsEditable());
    wxTEST_DIALOG(CloseFrame(), MessageAnswer(wxID_NO));
}

TEST_F(MainWindow, ResizingPutsTheCopyrightLineBack)
{
    CreateFrame();
    wxStatusBar* status = frame->GetStatusBar();
    status->SetStatusText("something else");
    Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(3);  // the video is made then
    wxSizeEvent resize(wxSize(400, 200));
    resize.SetEventObject(Find<wxMediaCtrl>("ID_MEDIA"));
    Find<wxMediaCtrl>("ID_MEDIA")->GetEventHandler()->ProcessEvent(resize);
    EXPECT_TRUE(status->GetStatusText().StartsWith("Copyright"));
}

TEST_F(MainWindow, QuitClosesTheWindow)
{
    CreateFrame();
    CloseFrame([this] { SendMenu(MenuId("File", "Quit")); });
}

// At the smallest window size every page holds its controls whole (in its
// scrolled area where it scrolls); pictures and buttons keep their height.
TEST_F(MainWindow, EveryPageShowsItsControlsWholeAtTheSmallestSize)
{
    CreateFrame();
    FiringPattern held;  // the band above the pages at its tallest: a programme drawn
    held.NumberOfSlots = 10;
    held.DeriveFromBaseFrequency(1, held.NumberOfSlots);
    Find<StickAreaPanel>("ID_PANEL20")->ShowProgramme(held, "", "12:00", true);
    frame->SetSize(frame->GetMinSize());
    for (int index = 0; index < 4; ++index) {
        ShowPage(index);
        RunEventLoopFor(200);
        wxWindow* page = Find<wxNotebook>("ID_NOTEBOOK3")->GetPage(index);
        std::function<void(wxWindow*)> check = [&](wxWindow* parent) {
            for (wxWindow* child : parent->GetChildren()) {
                if (!child->IsShown() || child->IsTopLevel())
                    continue;
                const wxRect where(page->ScreenToClient(child->GetScreenPosition()), child->GetSize());
                EXPECT_TRUE(wxRect(page->GetVirtualSize()).Contains(where))
                    << child->GetName() << ", page " << index;
                if (dynamic_cast<PictureControl*>(child) || dynamic_cast<wxButton*>(child)) {
                    EXPECT_GE(where.height, child->GetBestSize().y) << child->GetName();
                }
                check(child);
            }
        };
        check(page);
    }
}
