// The Help menu on Linux: the book opens in the program's own help viewer, in
// the user's language, and the labels the help names are the window's own.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <wx/choice.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/treectrl.h>

#include "gui_test_support.h"

namespace fs = std::filesystem;

namespace {

// The help window, once the program has opened one.
wxHtmlHelpWindow* OpenHelpWindow()
{
    for (wxWindow* window : wxTopLevelWindows) {
        if (wxHtmlHelpFrame* help = dynamic_cast<wxHtmlHelpFrame*>(window))
            return help->IsShown() ? help->GetHelpWindow() : nullptr;
    }
    return nullptr;
}

wxTreeItemId FindItem(wxTreeCtrl* tree, wxTreeItemId parent, const wxString& text)
{
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(parent, cookie); item.IsOk();
         item = tree->GetNextChild(parent, cookie)) {
        if (tree->GetItemText(item) == text)
            return item;
        const wxTreeItemId found = FindItem(tree, item, text);
        if (found.IsOk())
            return found;
    }
    return wxTreeItemId();
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HelpWindow : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        // A stand-in for the desktop's opener, which must never be asked.
        WriteWorkFile("xdg-open", "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
        fs::permissions(WorkPath("xdg-open"), fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        previousPath = path ? path : "";
        setenv("PATH", (WorkDir() + ":" + previousPath).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", previousPath.c_str(), 1);
        FrameTest::TearDown();
    }

    // Chooses Help > Vitrel Help and waits for the help window.
    wxHtmlHelpWindow* ChooseHelp()
    {
        SendMenu(MenuId("Help", "Vitrel Help"));
        WaitFor([] { return OpenHelpWindow() != nullptr; }, 5000);
        return OpenHelpWindow();
    }

    // The page on show in the help window, by its name in the book
    // ("...VitrelHelp.htb#zip:index.html").
    static std::string ShownPage(wxHtmlHelpWindow* help)
    {
        const std::string page = help->GetHtmlWindow()->GetOpenedPage().utf8_string();
        return page.substr(page.find_last_of(":/") + 1);
    }

    void ExpectNothingHandedToTheDesktop()
    {
        RunEventLoopFor(300);
        EXPECT_FALSE(WorkFileExists("opened")) << ReadWorkFile("opened");
    }

    std::string previousPath;
};

}  // namespace

TEST_F(HelpWindow, VitrelHelpOpensTheContentsPageAndAContentsEntryShowsItsPage)
{
    CreateFrame();
    wxHtmlHelpWindow* help = ChooseHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(ShownPage(help), "index.html");
    EXPECT_EQ(help->GetHtmlWindow()->GetOpenedPageTitle(), "Vitrel Interface Help");

    wxTreeCtrl* contents = help->GetTreeCtrl();
    const wxTreeItemId spots = FindItem(contents, contents->GetRootItem(), "Body spots");
    ASSERT_TRUE(spots.IsOk());
    contents->SelectItem(spots);
    EXPECT_EQ(ShownPage(help), "spots.html");
    const wxTreeItemId writing =
        FindItem(contents, contents->GetRootItem(), "Writing a programme and checking it");
    ASSERT_TRUE(writing.IsOk());
    contents->SelectItem(writing);
    EXPECT_EQ(ShownPage(help), "writing.html");

    // Asked again, the same window comes back with the contents page.
    EXPECT_EQ(ChooseHelp(), help);
    EXPECT_EQ(ShownPage(help), "index.html");
    ExpectNothingHandedToTheDesktop();
    CloseFrame();
}

TEST_F(HelpWindow, AMissingBookIsNamedInANotice)
{
    fs::remove(WorkPath("docs"));
    fs::create_directory(WorkPath("docs"));
    CreateFrame();
    const std::string book = WorkDir() + "/docs/VitrelHelp.htb";
    wxTEST_DIALOG(
        SendMenu(MenuId("Help", "Vitrel Help")),
        MessageAnswer(wxID_OK,
                      "The help could not be opened, because the file " + book + " could not be found.",
                      "Vitrel Help"));
    EXPECT_EQ(OpenHelpWindow(), nullptr);
    ExpectNothingHandedToTheDesktop();
    CloseFrame();
}

namespace {

// Where the window shows a label that the help names.
enum class Shown { Label, Tab, ChoiceItem, Column, Menu, MenuItem };

struct HelpLabel {
    const char* key;  // the English text, the translation lookup's key
    Shown kind;
    const char* where;  // the window name, or for a menu item its menu's key
    int index;  // the tab, choice item, column or menu
};

// Every label the help marks as one (<b class="ui">), and where the window
// shows it.
const HelpLabel LabelsTheHelpNames[] = {
    {"Device Detached", Shown::Label, "ID_STATICTEXT22", 0},
    {"Beeper", Shown::Label, "ID_CHECKBOX1", 0},
    {"Turn Off", Shown::Label, "ID_BUTTON15", 0},
    {"Treatments", Shown::Tab, "ID_NOTEBOOK3", 0},
    {"Advanced Settings", Shown::Tab, "ID_NOTEBOOK3", 1},
    {"Diary", Shown::Tab, "ID_NOTEBOOK3", 2},
    {"Intro", Shown::Tab, "ID_NOTEBOOK3", 3},
    {"Select Point Number From Picture:", Shown::Label, "ID_STATICTEXT1", 0},
    {"All", Shown::ChoiceItem, "ID_CHOICE1", 0},
    {"General Treatments", Shown::ChoiceItem, "ID_CHOICE1", 1},
    {"Treatment:", Shown::Label, "ID_STATICTEXT21", 0},
    {"Apply", Shown::Label, "ID_BUTTON10", 0},
    {"Write Vitrel", Shown::Label, "ID_BUTTON9", 0},
    {"Write Vitrel", Shown::Label, "ID_BUTTON4", 0},
    {"Read Vitrel", Shown::Label, "ID_BUTTON5", 0},
    {"Export to XML", Shown::Label, "ID_BUTTON7", 0},
    {"Import from XML", Shown::Label, "ID_BUTTON8", 0},
    {"Base Time Period [sec]", Shown::Label, "ID_STATICTEXT8", 0},
    {"Base Frequency [Hz]", Shown::Label, "ID_STATICTEXT16", 0},
    {"Time Period Per Slot [sec]", Shown::Label, "ID_STATICTEXT10", 0},
    {"Slot Frequency [Hz]", Shown::Label, "ID_STATICTEXT17", 0},
    {"Number of Slots", Shown::Label, "ID_STATICTEXT9", 0},
    {"Vitrel firing pattern", Shown::Label, "ID_STATICTEXT12", 0},
    {"History", Shown::Tab, "ID_NOTEBOOK1", 0},
    {"Entry", Shown::Tab, "ID_NOTEBOOK1", 1},
    {"New", Shown::Label, "ID_BUTTON13", 0},
    {"Save", Shown::Label, "ID_BUTTON12", 0},
    {"Close", Shown::Label, "ID_BUTTON14", 0},
    {"Summary:", Shown::Label, "ID_STATICTEXT6", 0},
    {"Date", Shown::Column, "ID_LISTVIEW1", 0},
    {"Time", Shown::Column, "ID_LISTVIEW1", 1},
    {"Summary", Shown::Column, "ID_LISTVIEW1", 2},
    {"Note every programme written in the diary", Shown::Label, "ID_CHECKBOX7", 0},
    {"Export…", Shown::Label, "ID_BUTTON16", 0},
    {"Print…", Shown::Label, "ID_BUTTON17", 0},
    {"&File", Shown::Menu, "", 0},
    {"Help", Shown::Menu, "", 1},
    {"Quit\tAlt-F4", Shown::MenuItem, "&File", 0},
    {"Vitrel Help", Shown::MenuItem, "Help", 0},
    {"About\tF1", Shown::MenuItem, "Help", 0},
};

// A label as the help writes it: without mnemonic and accelerator.
wxString Plain(const wxString& text)
{
    return wxStripMenuCodes(text);
}

// The labels a book marks, with the HTML character references it may use.
std::set<wxString> MarkedLabels(const fs::path& book)
{
    std::set<wxString> labels;
    const std::regex marked(R"(<b class="ui">([^<]*)</b>)");
    for (const fs::directory_entry& entry : fs::directory_iterator(book)) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string text = ReadFile(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), marked), end; it != end; ++it) {
            wxString label = wxString::FromUTF8((*it)[1].str());
            label.Replace("&amp;", "&");
            labels.insert(label);
        }
    }
    return labels;
}

class HelpLabels : public FrameTest {
protected:
    // The text the window shows for `label` now.
    wxString ShownText(const HelpLabel& label) const
    {
        wxWindow* window = label.where[0] == 'I' ? wxWindow::FindWindowByName(label.where, frame) : nullptr;
        switch (label.kind) {
            case Shown::Label:
                return window ? window->GetLabel() : wxString();
            case Shown::Tab: {
                wxNotebook* book = dynamic_cast<wxNotebook*>(window);
                return book ? book->GetPageText(label.index) : wxString();
            }
            case Shown::ChoiceItem: {
                wxChoice* choice = dynamic_cast<wxChoice*>(window);
                return choice ? choice->GetString(label.index) : wxString();
            }
            case Shown::Column: {
                wxListCtrl* list = dynamic_cast<wxListCtrl*>(window);
                wxListItem column;
                column.SetMask(wxLIST_MASK_TEXT);
                return list && list->GetColumn(label.index, column) ? column.GetText() : wxString();
            }
            case Shown::Menu:
                return frame->GetMenuBar()->GetMenuLabelText(label.index);
            case Shown::MenuItem: {
                const int id = frame->GetMenuBar()->FindMenuItem(Plain(wxGetTranslation(label.where)),
                                                                 Plain(wxGetTranslation(label.key)));
                return id == wxNOT_FOUND ? wxString() : frame->GetMenuBar()->GetLabel(id);
            }
        }
        return wxString();
    }

    // The window shows each label of the table, in the language it runs in,
    // and the book names no label that is not in the table.
    void ExpectBookNamesTheWindowsLabels(const fs::path& book)
    {
        CreateFrame();
        ShowEveryPage();
        std::set<wxString> known;
        for (const HelpLabel& label : LabelsTheHelpNames) {
            const wxString expected = Plain(wxGetTranslation(wxString::FromUTF8(label.key)));
            EXPECT_EQ(Plain(ShownText(label)), expected) << label.key << " at " << label.where;
            known.insert(expected);
        }
        for (const wxString& label : MarkedLabels(book))
            EXPECT_TRUE(known.count(label)) << book << " names \"" << label.utf8_string()
                                            << "\", which is not one of the window's labels";
    }
};

}  // namespace

TEST_F(HelpLabels, EveryLabelTheEnglishHelpNamesIsInTheWindow)
{
    ExpectBookNamesTheWindowsLabels(fs::path(VITREL_SOURCE_DIR) / "docs/help");
}

namespace {

// Runs in a process started under a German desktop (see tests/CMakeLists.txt).
class GermanHelp : public HelpLabels {
protected:
    void SetUp() override
    {
        const char* lang = std::getenv("LANG");
        if (lang == nullptr || std::string(lang) != "de_DE.UTF-8")
            GTEST_SKIP() << "runs in a process started with LANG=de_DE.UTF-8";
        HelpLabels::SetUp();
    }
};

}  // namespace

TEST_F(GermanHelp, EveryLabelTheGermanHelpNamesIsInTheGermanWindow)
{
    ASSERT_NE(wxGetTranslation("Write Vitrel"), "Write Vitrel") << "no German catalogue was loaded";
    ExpectBookNamesTheWindowsLabels(fs::path(VITREL_SOURCE_DIR) / "docs/help/de");
}

TEST_F(GermanHelp, VitrelHelpOpensTheGermanBook)
{
    CreateFrame();
    SendMenu(MenuId(wxStripMenuCodes(_("Help")).utf8_str(), _("Vitrel Help").utf8_str()));
    WaitFor([] { return OpenHelpWindow() != nullptr; }, 5000);
    wxHtmlHelpWindow* help = OpenHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetHtmlWindow()->GetOpenedPageTitle(), wxString::FromUTF8("Hilfe zu Vitrel Interface"));
    wxTreeCtrl* contents = help->GetTreeCtrl();
    const wxTreeItemId spots =
        FindItem(contents, contents->GetRootItem(), wxString::FromUTF8("Körperpunkte"));
    ASSERT_TRUE(spots.IsOk());
    contents->SelectItem(spots);
    const std::string page = help->GetHtmlWindow()->GetOpenedPage().utf8_string();
    EXPECT_EQ(page.substr(page.find_last_of(":/") + 1), "spots.html");
    CloseFrame();
}
