// The Advanced Settings page on the real main window: field rules, slot boxes,
// the pattern file at start and exit, export and import.
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/scrolwin.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/stdpaths.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include "ui/pages/advanced_settings_page.h"
#include "gui_test_support.h"
#include "stick_test_support.h"

namespace {

class AdvancedSettings : public FrameTest {
protected:
    // The window with this page in front: its controls are made when first shown.
    wxVitrelFrame* CreateFrame()
    {
        FrameTest::CreateFrame();
        ShowPage(1);
        return frame;
    }
    wxTextCtrl* BaseFrequency() const { return Find<wxTextCtrl>("ID_TEXTCTRL11"); }
    wxTextCtrl* BaseTimePeriod() const { return Find<wxTextCtrl>("ID_TEXTCTRL7"); }
    wxTextCtrl* PeriodPerSlot() const { return Find<wxTextCtrl>("ID_TEXTCTRL9"); }
    wxTextCtrl* SlotFrequency() const { return Find<wxTextCtrl>("ID_TEXTCTRL12"); }
    wxTextCtrl* SlotCount() const { return Find<wxTextCtrl>("ID_TEXTCTRL8"); }

    // Base frequency, base time period, slot frequency, time period per slot
    // and slot count, as shown.
    std::string Fields() const
    {
        std::string shown = BaseFrequency()->GetValue().utf8_string();
        for (wxTextCtrl* field : {BaseTimePeriod(), SlotFrequency(), PeriodPerSlot(), SlotCount()})
            shown += " " + field->GetValue().utf8_string();
        return shown;
    }
    void Check(std::initializer_list<int> slots) const
    {
        for (int i : slots)
            Toggle(AdvancedPage().Slots().boxes[i], true);
    }
    void ExportTo(const std::string& path) const
    {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")), FileDialogAnswer(wxString::FromUTF8(path)));
    }
    void ImportFrom(const std::string& path) const
    {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON8")), FileDialogAnswer(wxString::FromUTF8(path)));
    }
    // Import that must be refused with a notice whose message holds `reason`.
    void ImportRefused(const std::string& path, const std::string& reason) const
    {
        const wxString message = "The file could not be imported because " + wxString::FromUTF8(reason)
                                 + ". The pattern on the page has not changed.";
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON8")), FileDialogAnswer(wxString::FromUTF8(path)),
                      MessageAnswer(wxID_OK, message, "Import from XML"));
    }

    // A pattern on the page that differs from the defaults in every value.
    void ComposeEightSlotsAt2_5Hz() const
    {
        Enter(SlotCount(), "8");
        Enter(BaseFrequency(), "2.5");
        Check({0, 2, 3, 6, 7});
        ASSERT_EQ(Fields(), "2.500000 0.400000 20.000000 0.050000 8");
        ASSERT_EQ(SlotStates(), "10110011");
    }
};

TEST_F(AdvancedSettings, TypedValuesDeriveTheOtherFields)
{
    // Each step: the field (base frequency ID_TEXTCTRL11, base time period
    // ID_TEXTCTRL7, slot count ID_TEXTCTRL8), the text typed into it (nullptr: kept), whether
    // Enter is pressed (else the field is left), the fields then shown.
    struct Step {
        const char* field;
        const char* typed;
        bool pressEnter;
        const char* fields;
    };
    const Step steps[] = {
        {"ID_TEXTCTRL11", "4", false, "4.000000 0.250000 40.000000 0.025000 10"},
        {"ID_TEXTCTRL7", "0.5", true, "2.000000 0.500000 20.000000 0.050000 10"},
        {"ID_TEXTCTRL11", "8", true, "8.000000 0.125000 80.000000 0.012500 10"},
        {"ID_TEXTCTRL11", "3", false, "3.000000 0.333333 30.000000 0.033333 10"},
        // Leaving the count field keeps both base values and derives the slot
        // frequency from the rounded period; Enter also rewrites Base
        // Frequency from it.
        {"ID_TEXTCTRL8", nullptr, false, "3.000000 0.333333 30.000030 0.033333 10"},
        {"ID_TEXTCTRL8", nullptr, true, "3.000003 0.333333 30.000030 0.033333 10"},
        // The slot frequency comes from the period as typed, not from the
        // base frequency it shows.
        {"ID_TEXTCTRL7", "0.3", false, "3.333333 0.300000 33.333333 0.030000 10"},
        // Leaving a new count keeps Base Frequency and derives the slots from
        // the period.
        {"ID_TEXTCTRL11", "3", true, "3.000000 0.333333 30.000000 0.033333 10"},
        {"ID_TEXTCTRL8", "12", false, "3.000000 0.333333 36.000036 0.027778 12"},
    };
    CreateFrame();
    for (const Step& step : steps) {
        wxTextCtrl* field = Find<wxTextCtrl>(step.field);
        if (step.typed) {
            field->ChangeValue(wxEmptyString);
            Type(field, step.typed);
        }
        if (step.pressEnter)
            PressEnter(field);
        else
            LeaveField(field);
        EXPECT_EQ(Fields(), step.fields) << field->GetName() << " " << (step.typed ? step.typed : "");
    }
}

TEST_F(AdvancedSettings, AnEntryThatIsNotANumberAboveZeroReturnsToTheLastValue)
{
    CreateFrame();
    ShowPage(1);
    TypeKeys(SlotCount(), "10", WXK_TAB);
    TypeKeys(BaseFrequency(), "0.5", WXK_TAB);
    const std::string taken = "0.500000 2.000000 5.000000 0.200000 10";
    ASSERT_EQ(Fields(), taken);
    struct Case {
        const char* field;
        const char* keys;
        int leaveBy;
    };
    const Case cases[] = {
        {"ID_TEXTCTRL11", "0", WXK_TAB},    {"ID_TEXTCTRL11", "-3", WXK_TAB},
        {"ID_TEXTCTRL11", "0", WXK_RETURN}, {"ID_TEXTCTRL11", "-", WXK_TAB},
        {"ID_TEXTCTRL11", "", WXK_RETURN},  {"ID_TEXTCTRL11", "0.0000004", WXK_TAB},
        {"ID_TEXTCTRL7", "0", WXK_RETURN},  {"ID_TEXTCTRL7", "-1", WXK_RETURN},
        {"ID_TEXTCTRL7", "-1", WXK_TAB},    {"ID_TEXTCTRL7", "", WXK_TAB},
        {"ID_TEXTCTRL8", "0", WXK_RETURN},  {"ID_TEXTCTRL8", "", WXK_TAB},
    };
    for (const Case& c : cases) {
        TypeKeys(Find<wxTextCtrl>(c.field), c.keys, c.leaveBy);
        EXPECT_EQ(Fields(), taken) << c.field << " \"" << c.keys << "\"";
    }
    // What is saved at exit is what the page shows.
    CloseFrame();
    EXPECT_NE(ReadWorkFile("AdvancedSettings.xml").find("<BaseFrequency>0.5</BaseFrequency>"),
              std::string::npos);
}

// A typed comma is the decimal point (the German desktop suite types one too).
TEST_F(AdvancedSettings, ATypedCommaIsTheDecimalPoint)
{
    struct Case {
        const char* field;
        const char* keys;
        const char* typed;  // the field's text before it is left
        const char* shown;  // Base Frequency, then Slot Frequency, after leaving
    };
    const Case cases[] = {
        {"ID_TEXTCTRL11", "2,5", "2.5", "2.500000 25.000000"},
        {"ID_TEXTCTRL11", "1,5", "1.5", "1.500000 15.000000"},
        {"ID_TEXTCTRL11", "2,5,1", "2.51", "2.510000 25.100000"},
        {"ID_TEXTCTRL11", "2.5,", "2.5", "2.500000 25.000000"},
        {"ID_TEXTCTRL7", "0,25", "0.25", "4.000000 40.000000"},
    };
    CreateFrame();
    ShowPage(1);
    for (const Case& c : cases) {
        wxTextCtrl* field = Find<wxTextCtrl>(c.field);
        TypeKeys(field, c.keys, 0);
        EXPECT_EQ(field->GetValue().utf8_string(), c.typed) << c.keys;
        TypeKeys(field, "", WXK_TAB, false);
        EXPECT_EQ((BaseFrequency()->GetValue() + " " + SlotFrequency()->GetValue()).utf8_string(), c.shown)
            << c.keys;
    }
}

TEST_F(AdvancedSettings, TabOutOfANewSlotCountFocusesTheFirstNewBox)
{
    CreateFrame();
    ShowPage(1);
    Check({2});
    TypeKeys(SlotCount(), "12", WXK_TAB);
    ASSERT_EQ(AdvancedPage().Slots().count, 12);
    EXPECT_EQ(wxWindow::FindFocus(), AdvancedPage().Slots().boxes[0]);
    // The next key reaches the box.
    wxUIActionSimulator().Char(' ');
    EXPECT_TRUE(WaitFor([&] { return SlotStates() == "100000000000"; }, 2000)) << SlotStates();
}

TEST_F(AdvancedSettings, SlotBoxesSayWhichSlotTheyAreAndTheRowShowsItsScrollBar)
{
    CreateFrame();
    Enter(SlotCount(), "12");
    for (int i : {0, 2, 11}) {
        wxCheckBox* box = AdvancedPage().Slots().boxes[i];
        const std::string name = "Slot " + std::to_string(i + 1) + " of 12";
        EXPECT_EQ(box->GetLabel(), "");
        EXPECT_EQ(box->GetToolTipText(), name);
        EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(box->GetHandle())), name.c_str());
    }
    wxWindow* row = Find<wxScrolledWindow>("ID_SCROLLEDWINDOW1");
    EXPECT_FALSE(gtk_scrolled_window_get_overlay_scrolling(GTK_SCROLLED_WINDOW(row->GetHandle())));
}

// The window tests fail on any GTK warning or critical.
TEST_F(AdvancedSettings, TwoHundredFiftySlotsScrollQuietly)
{
    CreateFrame();
    ShowPage(1);
    Enter(SlotCount(), "250");
    ASSERT_EQ(AdvancedPage().Slots().count, 250);
    wxScrolledWindow* row = Find<wxScrolledWindow>("ID_SCROLLEDWINDOW1");
    RunEventLoopFor(100);
    for (int step = 0; step < 60; step += 6) {
        row->Scroll(step, 0);
        RunEventLoopFor(20);
    }
}

TEST_F(AdvancedSettings, SavedFileHasTheExactFormat)
{
    CreateFrame();
    EXPECT_FALSE(WorkFileExists("AdvancedSettings.xml"));
    Enter(SlotCount(), "6");
    Enter(BaseFrequency(), "3");
    Check({0, 2, 5});
    CloseFrame();

    const std::string expected =
        ReadWholeFile(std::string(VITREL_TEST_DATA) + "/pattern_expected_AdvancedSettings.xml");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadWorkFile("AdvancedSettings.xml"), expected);
}

TEST_F(AdvancedSettings, ReopeningShowsThePatternAtClosing)
{
    CreateFrame();
    ComposeEightSlotsAt2_5Hz();
    CloseFrame();
    CreateFrame();
    EXPECT_EQ(Fields(), "2.500000 0.400000 20.000000 0.050000 8");
    EXPECT_EQ(SlotStates(), "10110011");
    EXPECT_EQ(AdvancedPage().Slots().boxes[0]->GetName(), "ID_CHECKBOX6");

    // Closing in the middle of typing still saves a file that can be read:
    // the half-typed values give way to the ones in effect.
    Check({1});
    BaseFrequency()->ChangeValue("-");
    SlotCount()->ChangeValue("");
    CloseFrame();
    CreateFrame();
    EXPECT_EQ(Fields(), "2.500000 0.400000 20.000000 0.050000 8");
    EXPECT_EQ(SlotStates(), "11110011");

    // A larger count not yet applied keeps the boxes and adds silent slots.
    SlotCount()->ChangeValue("10");
    CloseFrame();
    CreateFrame();
    EXPECT_EQ(Fields(), "2.500000 0.400000 25.000000 0.040000 10");
    EXPECT_EQ(SlotStates(), "1111001100");
}

TEST_F(AdvancedSettings, StartsWithTheDefaultsWhenTheFileCannotBeUsed)
{
    for (const char* content : std::initializer_list<const char*> {
             nullptr, "", "<VitrelAdvancedSettings><BaseFrequency>2</BaseFrequency>",
             "<VitrelAdvancedSettings><BaseFrequency>0</BaseFrequency><NumberOfSlots>3</NumberOfSlots>"
             "<Slot>1</Slot></VitrelAdvancedSettings>"}) {
        if (content)
            WriteWorkFile("AdvancedSettings.xml", content);
        {
            // No message at start-up: any dialog fails the test.
            GTestModalHook noDialogs(__FILE__, __LINE__, "start-up");
            CreateFrame();
            noDialogs.CheckUnmetExpectations();
        }
        EXPECT_EQ(Fields(), "1.000000 1.000000 10.000000 0.100000 10") << (content ? content : "no file");
        EXPECT_EQ(SlotStates(), "0000000000");
        EXPECT_EQ(AdvancedPage().Slots().boxes[0]->GetName(), "ID_CHECKBOX0");
        CloseFrame();
    }
}

TEST_F(AdvancedSettings, ExportAndImportRestoreStatesAndBaseFrequencyOnly)
{
    CreateFrame();
    ComposeEightSlotsAt2_5Hz();
    ExportTo(WorkPath("mine.xml"));
    ASSERT_TRUE(WorkFileExists("mine.xml"));

    Enter(SlotCount(), "5");
    Enter(BaseFrequency(), "7");
    Check({1, 2});
    ImportFrom(WorkPath("mine.xml"));
    EXPECT_EQ(Fields(), "2.500000 0.400000 20.000000 0.050000 8");
    EXPECT_EQ(SlotStates(), "10110011");

    // Hand-edited derived values do not count.
    std::string text = ReadWorkFile("mine.xml");
    for (const char* name : {"BaseTimePeriod", "SlotFrequency", "TimePeriodPerSlot"}) {
        const std::string open = std::string("<") + name + ">";
        const size_t from = text.find(open) + open.size();
        text.replace(from, text.find('<', from) - from, "99");
    }
    WriteWorkFile("mine.xml", text);
    Enter(BaseFrequency(), "7");
    ImportFrom(WorkPath("mine.xml"));
    EXPECT_EQ(Fields(), "2.500000 0.400000 20.000000 0.050000 8");

    // Cancelling either dialog changes nothing.
    Enter(BaseFrequency(), "5");
    const std::string before = Fields() + SlotStates();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")),
                  FileDialogAnswer(wxString::FromUTF8(WorkPath("other.xml")), wxID_CANCEL));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON8")),
                  FileDialogAnswer(wxString::FromUTF8(WorkPath("mine.xml")), wxID_CANCEL));
    EXPECT_FALSE(WorkFileExists("other.xml"));
    EXPECT_EQ(Fields() + SlotStates(), before);
}

TEST_F(AdvancedSettings, ImportTakesAsManySlotsAsNumberOfSlotsSays)
{
    WriteWorkFile("three.xml", "<VitrelAdvancedSettings><BaseFrequency>5</BaseFrequency>"
                               "<NumberOfSlots>3</NumberOfSlots><Slot>1</Slot><Slot>0</Slot><Slot>1</Slot>"
                               "<Slot>1</Slot><Slot>1</Slot></VitrelAdvancedSettings>");
    CreateFrame();
    ImportFrom(WorkPath("three.xml"));
    EXPECT_EQ(Fields(), "5.000000 0.200000 15.000000 0.066667 3");
    EXPECT_EQ(SlotStates(), "101");

    // Fewer Slot elements than the count, as a save made while a larger count
    // was typed but not applied wrote: the missing slots are silent.
    WriteWorkFile("short.xml",
                  "<VitrelAdvancedSettings><BaseFrequency>5</BaseFrequency>"
                  "<NumberOfSlots>5</NumberOfSlots><Slot>1</Slot><Slot>1</Slot></VitrelAdvancedSettings>");
    ImportFrom(WorkPath("short.xml"));
    EXPECT_EQ(SlotStates(), "11000");
}

TEST_F(AdvancedSettings, AFileRefusedAtStartUpIsMovedAsideBeforeTheExitSave)
{
    const auto copiesAside = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(WorkDir())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("AdvancedSettings.unreadable-", 0) == 0)
                names.push_back(name);
        }
        return names;
    };
    const std::string broken = "<VitrelAdvancedSettings><BaseFrequency>2</BaseFrequency>";
    WriteWorkFile("AdvancedSettings.xml", broken);
    CreateFrame();
    CapturedOutput output;
    CloseFrame();

    const std::vector<std::string> aside = copiesAside();
    ASSERT_EQ(aside.size(), 1u);
    // AdvancedSettings.unreadable-YYYYMMDD-HHMMSS.xml
    EXPECT_EQ(aside[0].size(), std::string("AdvancedSettings.unreadable-20261207-091500.xml").size());
    EXPECT_EQ(ReadWorkFile(aside[0]), broken);
    EXPECT_EQ(output.Text(), "AdvancedSettings.xml could not be read; it was kept as " + aside[0] + "\n");
    EXPECT_NE(ReadWorkFile("AdvancedSettings.xml").find("<NumberOfSlots>10</NumberOfSlots>"),
              std::string::npos);

    // The next start reads the new file: nothing more is moved aside.
    CreateFrame();
    CloseFrame();
    EXPECT_EQ(copiesAside(), aside);
}

TEST_F(AdvancedSettings, RefusedImportTellsWhyAndChangesNothing)
{
    CreateFrame();
    ComposeEightSlotsAt2_5Hz();
    const std::string before = Fields() + SlotStates();
    WriteWorkFile("bad.xml", "<VitrelAdvancedSettings><BaseFrequency>2</BaseFrequency>"
                             "<NumberOfSlots>0</NumberOfSlots><Slot>1</Slot></VitrelAdvancedSettings>");
    ImportRefused(WorkPath("bad.xml"), "its NumberOfSlots is not a whole number from 1 to 250");
    EXPECT_EQ(Fields() + SlotStates(), before);
}

TEST_F(AdvancedSettings, ExportTellsWhenTheFileCannotBeWritten)
{
    CreateFrame();
    // /proc takes no new files, not even from root.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")), FileDialogAnswer("/proc/pattern.xml"),
                  MessageAnswer(wxID_OK,
                                "The pattern could not be exported because the file could not be "
                                "written; check that the folder exists and that you may write to it.",
                                "Export to XML"));

    // A file name beyond ASCII is written under its own name.
    const std::string name = "Gr\xc3\xb6\xc3\x9f"
                             "e.xml";
    ExportTo(WorkPath(name));
    EXPECT_TRUE(WorkFileExists(name));
}

TEST_F(AdvancedSettings, AnExportNamedWithoutAnExtensionGetsXml)
{
    CreateFrame();
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"plain", "plain.xml"}, {"mine.xml", "mine.xml"}, {"my.pattern", "my.pattern"}, {"dot.", "dot.xml"}};
    for (const auto& c : cases) {
        ExportTo(WorkPath(c.typed));
        EXPECT_TRUE(WorkFileExists(c.written)) << c.typed;
    }
    EXPECT_FALSE(WorkFileExists("plain"));
}

TEST_F(AdvancedSettings, ExportAsksBeforeReplacingAFileAndCancelWritesNothing)
{
    CreateFrame();
    const std::string mine = "<mine/>\n";
    WriteWorkFile("mine.xml", mine);
    const wxString question = "mine.xml already exists. Do you want to replace it?";
    // Typed with and without its extension: the ".xml" added names the same file.
    for (const char* typed : {"mine.xml", "mine"}) {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")),
                      FileDialogAnswer(wxString::FromUTF8(WorkPath(typed))),
                      MessageAnswer(wxID_CANCEL, question, "Export to XML"));
        EXPECT_EQ(ReadWorkFile("mine.xml"), mine) << typed;
    }
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")),
                  FileDialogAnswer(wxString::FromUTF8(WorkPath("mine.xml"))),
                  MessageAnswer(wxID_OK, question, "Export to XML"));
    EXPECT_NE(ReadWorkFile("mine.xml").find("<VitrelAdvancedSettings>"), std::string::npos);
}

TEST_F(AdvancedSettings, ExportNeverReplacesTheProgramsOwnFiles)
{
    CopyTestDataFile("diary_three_entries.xml", "DiaryHistoryDB.xml");
    WriteWorkFile("AdvancedSettings.xml",
                  "<VitrelAdvancedSettings><BaseFrequency>2</BaseFrequency>"
                  "<NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></VitrelAdvancedSettings>");
    CreateFrame();
    const std::string catalogue = ReadWorkFile("VitrelTreatmentsList.xml");
    for (const char* name : {"VitrelTreatmentsList.xml", "VitrelFrequencyMeasurement.csv",
                             "DiaryHistoryDB.xml", "AdvancedSettings.xml", "share/HumanBodyFront.png",
                             "share/new.xml", "docs/../VitrelTreatmentsList.xml", "VitrelTreatmentsList"}) {
        const std::string before = WorkFileExists(name) ? ReadWorkFile(name) : "";
        wxString path = wxString::FromUTF8(WorkPath(name));
        wxFileName shown(path);
        shown.Normalize(wxPATH_NORM_DOTS);  // as the dialog gives it back
        if (shown.GetExt().empty())
            shown.SetExt("xml");
        wxTEST_DIALOG(
            Click(Find<wxButton>("ID_BUTTON7")), FileDialogAnswer(path),
            MessageAnswer(wxID_OK,
                          "The pattern was not exported: \"" + shown.GetFullPath()
                              + "\" is one of Vitrel's own files. Please choose another name or folder.",
                          "Export to XML"));
        EXPECT_EQ(WorkFileExists(name) ? ReadWorkFile(name) : "", before) << name;
    }
    EXPECT_EQ(ReadWorkFile("VitrelTreatmentsList.xml"), catalogue);
}

// The folder a file dialog is in when it is shown; answered with Cancel.
class DialogFolder : public wxExpectModalBase<wxFileDialog, DialogFolder> {
public:
    explicit DialogFolder(wxString& folder) : folder(folder) { }

protected:
    int OnInvoked(wxFileDialog* dialog) const override
    {
        folder = dialog->GetDirectory();
        return wxID_CANCEL;
    }

private:
    wxString& folder;
};

TEST_F(AdvancedSettings, FileDialogsStartInTheDocumentsFolderAndThenKeepTheLastOne)
{
    CreateFrame();
    const wxString documents = wxStandardPaths::Get().GetDocumentsDir();
    ASSERT_NE(documents, wxGetCwd());
    for (const char* button : {"ID_BUTTON7", "ID_BUTTON8"}) {
        wxString folder;
        wxTEST_DIALOG(Click(Find<wxButton>(button)), DialogFolder(folder));
        EXPECT_EQ(folder, documents) << button;
    }
    ExportTo(WorkPath("kept.xml"));
    wxString folder;
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")), DialogFolder(folder));
    EXPECT_EQ(folder, wxString::FromUTF8(WorkDir()));
}

}  // namespace
