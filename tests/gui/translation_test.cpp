// The window in the user's language. ctest runs GermanWindow in a process
// started with LANG=de_DE.UTF-8 and EnglishWindow with LANG=en_US.UTF-8
// (tests/CMakeLists.txt); the other suites run under the C locale, where the
// English keys show as they are written.
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/prntbase.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tokenzr.h>
#include <wx/translation.h>

#include "ui/pages/advanced_settings_page.h"
#include "ui/pages/diary_record_panel.h"
#include "ui/common/resource_path.h"
#include "ui/frame/about_dialog.h"
#include "stick_test_support.h"

namespace {

// Words of the English texts that no German text of the window uses. A
// shown text holding one was not translated, whether or not its English
// is a key of the template.
const std::set<std::string> EnglishWords = {
    "the",       "and",        "you",      "your",      "of",      "to",      "is",      "was",
    "could",     "not",        "with",     "from",      "for",     "this",    "cannot",  "has",
    "been",      "would",      "want",     "do",        "please",  "device",  "slot",    "slots",
    "treatment", "treatments", "settings", "frequency", "number",  "save",    "close",   "entry",
    "history",   "new",        "read",     "write",     "file",    "files",   "pattern", "apply",
    "all",       "time",       "date",     "summary",   "help",    "quit",    "about",   "turn",
    "off",       "beeper",     "attached", "detached",  "found",   "select",  "point",   "spot",
    "general",   "health",     "base",     "period",    "credits", "warning", "missing", "checking",
    "confirmed", "written",    "version"};

// Where a text was seen, and the text.
struct ShownText {
    std::string where;
    wxString text;
};

class ShownTexts {
public:
    void Add(const std::string& where, const wxString& text)
    {
        if (!text.empty())
            texts.push_back({where, text});
    }

    // Every text of `window` and the windows in it: labels, values, items,
    // tab texts, column titles, tool tips and help texts.
    void AddWindow(wxWindow* window)
    {
        const std::string name = window->GetName().utf8_string();
        if (auto* text = dynamic_cast<wxStaticText*>(window))
            Add(name, text->GetLabel());
        else if (auto* field = dynamic_cast<wxTextCtrl*>(window))
            Add(name, field->GetValue());
        else if (auto* control = dynamic_cast<wxControl*>(window))
            Add(name, control->GetLabel());
        if (auto* choice = dynamic_cast<wxItemContainerImmutable*>(window))
            for (unsigned i = 0; i < choice->GetCount(); ++i)
                Add(name + " item", choice->GetString(i));
        if (auto* book = dynamic_cast<wxNotebook*>(window))
            for (size_t i = 0; i < book->GetPageCount(); ++i)
                Add(name + " tab", book->GetPageText(i));
        if (auto* list = dynamic_cast<wxListCtrl*>(window))
            for (int i = 0; i < list->GetColumnCount(); ++i) {
                wxListItem column;
                column.SetMask(wxLIST_MASK_TEXT);
                list->GetColumn(i, column);
                Add(name + " column", column.GetText());
            }
        Add(name + " tool tip", window->GetToolTipText());
        Add(name + " help", window->GetHelpText());
        for (wxWindow* child : window->GetChildren())
            if (!child->IsTopLevel())
                AddWindow(child);
    }

    void AddMenuBar(wxMenuBar* bar)
    {
        for (size_t m = 0; m < bar->GetMenuCount(); ++m) {
            Add("menu", bar->GetMenuLabel(m));
            for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
                Add("menu item", item->GetItemLabel());
                Add("menu help", item->GetHelp());
            }
        }
    }

    // The texts still in English: a word above, or a text that is itself a
    // key of a catalogue with another translation.
    std::vector<std::string> English() const
    {
        std::vector<std::string> left;
        for (const ShownText& shown : texts) {
            bool english = wxGetTranslation(shown.text) != shown.text
                           || wxGetTranslation(shown.text, "vitrel-catalogue") != shown.text;
            wxStringTokenizer words(shown.text.Lower(), " \t\r\n.,:;!?()\"'[]%/-+=");
            while (words.HasMoreTokens() && !english)
                english = EnglishWords.count(words.GetNextToken().utf8_string()) > 0;
            if (english)
                left.push_back(shown.where + ": " + shown.text.utf8_string());
        }
        return left;
    }

    size_t Count() const { return texts.size(); }

private:
    std::vector<ShownText> texts;
};

// A message box answered with `result`; its message and caption are kept.
class RecordedMessage : public wxExpectModalBase<wxMessageDialog, RecordedMessage> {
public:
    RecordedMessage(ShownTexts& texts, int result = wxID_OK) : texts(texts), result(result) { }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        texts.Add("message box", dialog->GetMessage());
        texts.Add("message box caption", dialog->GetTitle());
        return result;
    }

private:
    ShownTexts& texts;
    int result;
};

// The About box, shown modally; its texts are kept.
class RecordedAbout : public wxExpectModalBase<wxVitrelAboutPanelDialog, RecordedAbout> {
public:
    explicit RecordedAbout(ShownTexts& texts) : texts(texts) { }

protected:
    int OnInvoked(wxVitrelAboutPanelDialog* dialog) const override
    {
        texts.Add("About title", dialog->GetTitle());
        texts.AddWindow(dialog);
        return wxID_CANCEL;
    }

private:
    ShownTexts& texts;
};

struct PeriodOk : wxExpectModalBase<DiaryPeriodDialog, PeriodOk> {
    int OnInvoked(DiaryPeriodDialog*) const override { return wxID_OK; }
};

bool LanguageIs(const char* lang)
{
    const char* set = std::getenv("LANG");
    return set != nullptr && std::string(set) == lang;
}

}  // namespace

class GermanWindow : public StickFrameTest {
protected:
    void SetUp() override
    {
        if (!LanguageIs("de_DE.UTF-8"))
            GTEST_SKIP() << "runs in a process started with LANG=de_DE.UTF-8";
        StickFrameTest::SetUp();
    }

    wxString Field(const char* name) const { return Find<wxTextCtrl>(name)->GetValue(); }

    // The write calls of the flows, without the monitor's polls and probes.
    std::vector<std::string> ProgrammingWrites() const
    {
        std::vector<std::string> calls;
        for (const WriteCall& call : Writes())
            if (call.hex != "00 0B FF" && call.hex != "00 0C FF" && call.hex != "00 11 FF")
                calls.push_back(call.hex);
        return calls;
    }

    ShownTexts shown;
};

// Every control, menu item, tab, column title and choice item, every message
// box the flows show and the About box: no English left.
TEST_F(GermanWindow, EveryShownTextIsGerman)
{
    CopyDeliveredFile("VitrelTreatmentsList.xml");
    CreateFrame();
    ShowEveryPage();
    // A page with a treatment's title, the intro text and the status line.
    shown.AddWindow(frame);
    shown.AddMenuBar(frame->GetMenuBar());
    shown.Add("frame title", frame->GetTitle());
    shown.Add("status bar", frame->GetStatusBar()->GetStatusText(0));
    shown.Add("spot choice", Find<wxChoice>("ID_CHOICE1")->GetString(25));
    EXPECT_EQ(Find<wxNotebook>("ID_NOTEBOOK3")->GetPageText(1), "Erweiterte Einstellungen");

    const int about = frame->GetMenuBar()->FindMenuItem(_("Help"), wxStripMenuCodes(_("About\tF1")));
    ASSERT_NE(about, wxNOT_FOUND);
    wxTEST_DIALOG(SendMenu(about), RecordedAbout(shown));

    // The questions, each declined, and the refusals of a window without a stick.
    for (const char* button : {"ID_BUTTON10", "ID_BUTTON15"})
        wxTEST_DIALOG(Click(Find<wxButton>(button)), RecordedMessage(shown, wxID_CANCEL));
    for (const char* button : {"ID_BUTTON9", "ID_BUTTON4", "ID_BUTTON5"})
        wxTEST_DIALOG(Click(Find<wxButton>(button)), RecordedMessage(shown), RecordedMessage(shown));
    Find<wxTextCtrl>("ID_TEXTCTRL8")->ChangeValue("12");  // typed, not taken
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), RecordedMessage(shown), RecordedMessage(shown));
    Find<wxTextCtrl>("ID_TEXTCTRL8")->ChangeValue("10");
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL11"), "100");
    ASSERT_EQ(Field("ID_TEXTCTRL12"), "1000.000000");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), RecordedMessage(shown), RecordedMessage(shown));
    shown.AddWindow(Find<wxWindow>("ID_PANEL5"));  // the preview and the slot boxes' tool tips

    // A pattern file refused on import, an export that cannot be written.
    WriteWorkFile("broken.xml", "<VitrelAdvancedSettings><BaseFrequency>2");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON8")),
                  FileDialogAnswer(wxString::FromUTF8(WorkPath("broken.xml"))), RecordedMessage(shown));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")),
                  FileDialogAnswer("/proc/pattern.xml"),  // takes no new files
                  RecordedMessage(shown));

    // The diary: saving an entry that exists, saving a new one (declined),
    // and leaving it unsaved for another.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON12")), RecordedMessage(shown));
    Click(Find<wxButton>("ID_BUTTON13"));
    Find<wxTextCtrl>("ID_TEXTCTRL4")->SetValue("Abends");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON12")), RecordedMessage(shown, wxID_CANCEL));
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON13")), RecordedMessage(shown, wxID_NO));
    // The toolkit's own texts too: the print preview's.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON17")), PeriodOk());
    wxWindow* close = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (close = wxWindow::FindWindowById(wxID_PREVIEW_CLOSE)) != nullptr; }, 3000));
    EXPECT_EQ(close->GetLabel(), wxString::FromUTF8("&Schließen"));
    shown.AddWindow(wxGetTopLevelParent(close));
    wxGetTopLevelParent(close)->Close();

    EXPECT_GT(shown.Count(), 150u);
    EXPECT_EQ(shown.English(), std::vector<std::string>());
}

// The stick gets the same frames as under the C locale, the page shows the
// same numbers, and the status line speaks German.
TEST_F(GermanWindow, TheStickGetsTheSameFramesAndTheStatusIsGerman)
{
    StartAttached();
    EXPECT_EQ(Field("ID_TEXTCTRL12"), "10.000000");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON4")), RecordedMessage(shown));
    EXPECT_EQ(ProgrammingWrites(),
              (std::vector<std::string> {"00 07 57 9E 00 FF", "00 08 02 02 02 02 02 02 02 02 02 02 FF",
                                         "00 12 FF"}));
    wxStatusBar* status = frame->GetStatusBar();
    const wxString checked = wxString::FromUTF8("Programm geschrieben und geprüft, ");
    EXPECT_TRUE(WaitFor([&] { return status->GetStatusText(1).StartsWith(checked); }, 2000))
        << status->GetStatusText(1);
    EXPECT_EQ(status->GetStatusText(0), wxString::FromUTF8("Vitrel-USB-Gerät erkannt!"));
    EXPECT_EQ(Find<wxStaticText>("ID_STATICTEXT22")->GetLabel(), wxString::FromUTF8("Gerät verbunden"));
    shown.Add("status bar", status->GetStatusText(1));
    EXPECT_EQ(shown.English(), std::vector<std::string>());
}

// An exported pattern is byte for byte the file a C-locale run writes.
TEST_F(GermanWindow, AnExportIsTheFileOfACLocaleRun)
{
    CreateFrame();
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL8"), "6");
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL11"), "3");
    for (int slot : {0, 2, 5})
        Toggle(AdvancedPage().Slots().boxes[slot], true);
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON7")),
                  FileDialogAnswer(wxString::FromUTF8(WorkPath("exported.xml"))));
    EXPECT_EQ(ReadWorkFile("exported.xml"),
              ReadWholeFile(VITREL_TEST_DATA "/pattern_expected_AdvancedSettings.xml"));
}

// The pictures and the video with words in them are drawn once more in German.
TEST_F(GermanWindow, PicturesWithWordsShowTheirGermanCopy)
{
    CreateFrame();
    EXPECT_TRUE(LocalizedResourcePath("share\\VitrelUSB.avi").EndsWith("share/de/VitrelUSB.avi"));
    EXPECT_EQ(LocalizedResourcePath("share\\VitrelFrontPanel.png"),
              ResourcePath("share\\VitrelFrontPanel.png"));
    for (const char* file : {"MagneticPulses.PNG", "HumanBodyFront.png"}) {
        SCOPED_TRACE(file);
        const wxImage shown = LoadResourceBitmap(("share\\" + std::string(file)).c_str()).ConvertToImage();
        const wxImage german(VITREL_SOURCE_DIR "/share/de/" + std::string(file));
        ASSERT_TRUE(shown.IsOk() && german.IsOk());
        ASSERT_EQ(shown.GetSize(), german.GetSize());
        EXPECT_TRUE(std::equal(shown.GetData(), shown.GetData() + 3 * shown.GetWidth() * shown.GetHeight(),
                               german.GetData()));
    }
}

// The English texts show as they are written, slips included, whether the
// desktop is English or the C locale asks for the keys.
class WrittenTextsWindow : public FrameTest {
protected:
    void ExpectTheTextsAsWritten()
    {
        CreateFrame();
        RunEventLoopFor(300);  // a device tick or more
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Vitrel NOT Found !!!");
        EXPECT_TRUE(Find<wxStaticText>("ID_STATICTEXT13")->GetLabel().Contains("its impatc on body."));
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON15")),
                      MessageAnswer(wxID_CANCEL, "Would you like to turn of magnetic field generation?",
                                    "Turn Off Device"));
        EXPECT_EQ(Find<wxChoice>("ID_CHOICE1")->GetString(25), "Spot 24");
    }
};

class EnglishWindow : public WrittenTextsWindow {
protected:
    void SetUp() override
    {
        if (!LanguageIs("en_US.UTF-8"))
            GTEST_SKIP() << "runs in a process started with LANG=en_US.UTF-8";
        WrittenTextsWindow::SetUp();
    }
};

TEST_F(EnglishWindow, TheTextsShowAsWritten)
{
    ExpectTheTextsAsWritten();
}

class KeysWindow : public WrittenTextsWindow {
protected:
    void SetUp() override
    {
        if (wxTranslations::Get() != nullptr && wxTranslations::Get()->IsLoaded("vitrel"))
            GTEST_SKIP() << "runs in a process started under the C locale";
        WrittenTextsWindow::SetUp();
    }
};

TEST_F(KeysWindow, UnderTheCLocaleTheKeysShow)
{
    ExpectTheTextsAsWritten();
}
