// The Diary page in the real main window: the history list, opening an entry,
// composing and saving one.
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/stattext.h>

#include <tinyxml2.h>

#include "ui/pages/diary_page.h"
#include "diary/diary_file.h"
#include "gui_test_support.h"

namespace {

const char* const DiaryFile = "DiaryHistoryDB.xml";
const wxColour Grey(224, 224, 224);
const char* const SaveQuestion = "Do you want to save entry to history ?";
const char* const SaveCaption = "Save Entry to History";
const char* const ExistingWarning = "Existing entry cannot be saved !!!";
const char* const UnsavedQuestion =
    "The diary entry you are writing has not been saved. Do you want to save it?";

class DiaryPageTest : public FrameTest {
protected:
    void Open()
    {
        CreateFrame();
        ShowPage(2);
        list = Find<wxListView>("ID_LISTVIEW1");
        book = Find<wxNotebook>("ID_NOTEBOOK1");
        newButton = Find<wxButton>("ID_BUTTON13");
        saveButton = Find<wxButton>("ID_BUTTON12");
        date = Find<wxTextCtrl>("ID_TEXTCTRL2");
        time = Find<wxTextCtrl>("ID_TEXTCTRL3");
        summary = Find<wxTextCtrl>("ID_TEXTCTRL4");
        content = Find<wxTextCtrl>("ID_TEXTCTRL5");
    }

    std::vector<DiaryEntry> FileEntries() const
    {
        tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
        LoadHistory(doc, (WorkDir() + "/" + DiaryFile).c_str());
        return ReadHistoryEntries(doc);
    }

    void ExpectRow(long row, const wxString& rowDate, const wxString& rowTime,
                   const wxString& rowSummary) const
    {
        EXPECT_EQ(list->GetItemText(row, 0), rowDate) << "row " << row;
        EXPECT_EQ(list->GetItemText(row, 1), rowTime) << "row " << row;
        EXPECT_EQ(list->GetItemText(row, 2), rowSummary) << "row " << row;
    }

    void ExpectSaveWarns() const
    {
        wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, ExistingWarning, "Warning"));
    }

    wxListView* list = nullptr;
    wxNotebook* book = nullptr;
    wxButton* newButton = nullptr;
    wxButton* saveButton = nullptr;
    wxTextCtrl* date = nullptr;
    wxTextCtrl* time = nullptr;
    wxTextCtrl* summary = nullptr;
    wxTextCtrl* content = nullptr;
};

// Composing an entry and saving it, from diaries in several states.
struct ComposeCase {
    const char* name;
    const char* diary;  // test data copied in as the diary; nullptr: none
    int rows;  // entries it lists
    int answer;  // to the save question
    const char* notice;  // shown after the question; nullptr: none
    bool saved;
};

void PrintTo(const ComposeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComposeAndSave : public DiaryPageTest, public testing::WithParamInterface<ComposeCase> { };

TEST_P(ComposeAndSave, AppendsTheEntryOrKeepsItOnThePage)
{
    const ComposeCase& c = GetParam();
    if (c.diary)
        CopyTestDataFile(c.diary, DiaryFile);
    const std::string before = ReadWorkFile(DiaryFile);
    Open();
    EXPECT_EQ(list->GetItemCount(), c.rows);
    EXPECT_FALSE(summary->IsEditable());
    // Nothing to save before New.
    ExpectSaveWarns();
    EXPECT_EQ(WorkFileExists(DiaryFile), c.diary != nullptr);

    Click(newButton);
    // Typed text is not limited to what the C library's locale can represent.
    const std::string typedUtf8 = "Gr\xc3\xbc\xc3\x9f"
                                  "e \xc4\x87 \xe6\x97\xa5\xe6\x9c\xac";
    const wxString typedSummary = wxString::FromUTF8(typedUtf8);
    Type(summary, typedSummary);
    Type(content, "Spot 3.\nTwenty minutes.");
    if (c.notice) {
        wxTEST_DIALOG(Click(saveButton), MessageAnswer(c.answer, SaveQuestion, SaveCaption),
                      MessageAnswer(wxID_OK, c.notice, "Warning"));
    } else {
        wxTEST_DIALOG(Click(saveButton), MessageAnswer(c.answer, SaveQuestion, SaveCaption));
    }

    if (!c.saved) {
        EXPECT_EQ(ReadWorkFile(DiaryFile), before);
        EXPECT_EQ(list->GetItemCount(), c.rows);
        EXPECT_TRUE(summary->IsEditable());
        EXPECT_TRUE(content->IsEditable());
        EXPECT_EQ(summary->GetValue(), typedSummary);
        EXPECT_EQ(content->GetValue(), "Spot 3.\nTwenty minutes.");
        // It asks again.
        wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_CANCEL, SaveQuestion, SaveCaption));
        // Closing asks about the unsaved text; a save that fails there keeps
        // the window open.
        if (c.notice) {
            wxTEST_DIALOG(frame->Close(false), MessageAnswer(wxID_YES, UnsavedQuestion, SaveCaption),
                          MessageAnswer(wxID_OK, c.notice, "Warning"));
            RunEventLoopFor(100);
            EXPECT_EQ(content->GetValue(), "Spot 3.\nTwenty minutes.");
        }
        wxTEST_DIALOG(CloseFrame(), MessageAnswer(wxID_NO, UnsavedQuestion, SaveCaption));
        return;
    }
    const std::vector<DiaryEntry> entries = FileEntries();
    ASSERT_EQ(entries.size(), c.rows + 1u);
    EXPECT_EQ(entries.back().Date, date->GetValue().utf8_string());
    EXPECT_EQ(entries.back().Time, time->GetValue().utf8_string());
    EXPECT_EQ(entries.back().Summary, typedUtf8);
    EXPECT_EQ(entries.back().Content, "Spot 3.\nTwenty minutes.");
    EXPECT_NE(ReadWorkFile(DiaryFile).find("<Summary>" + typedUtf8 + "</Summary>"), std::string::npos);
    ASSERT_EQ(list->GetItemCount(), c.rows + 1);
    ExpectRow(c.rows, date->GetValue(), time->GetValue(), typedSummary);
    EXPECT_EQ(list->GetItemBackgroundColour(c.rows) == Grey, c.rows % 2 == 0) << "rows alternate grey";

    // The page now views the saved entry, which cannot be saved again.
    EXPECT_FALSE(summary->IsEditable());
    EXPECT_FALSE(content->IsEditable());
    EXPECT_EQ(summary->GetValue(), typedSummary);
    const std::string saved = ReadWorkFile(DiaryFile);
    ExpectSaveWarns();
    EXPECT_EQ(ReadWorkFile(DiaryFile), saved);
}

INSTANTIATE_TEST_SUITE_P(
    DiaryPage, ComposeAndSave,
    testing::Values(ComposeCase {"NoDiaryFile", nullptr, 0, wxID_OK, nullptr, true},
                    ComposeCase {"ThreeEntries", "diary_three_entries.xml", 3, wxID_OK, nullptr, true},
                    ComposeCase {"Declined", "diary_three_entries.xml", 3, wxID_CANCEL, nullptr, false},
                    ComposeCase {"UnreadableDiary", "diary_truncated.xml", 0, wxID_OK,
                                 "The diary file \"DiaryHistoryDB.xml\" could not be read, so the "
                                 "entry was not saved. The file was left as it is.",
                                 false}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

TEST_F(DiaryPageTest, AnOpenedEntryIsReadOnlyAndNewStartsAFreshOne)
{
    CopyTestDataFile("diary_three_entries.xml", DiaryFile);
    Open();
    ExpectRow(1, "02.03.2024", "12:30:00", "Midday");
    EXPECT_EQ(list->GetItemBackgroundColour(0), Grey);
    EXPECT_NE(list->GetItemBackgroundColour(1), Grey);
    EXPECT_EQ(list->GetItemBackgroundColour(2), Grey);
    Click(newButton);
    Type(summary, "dropped when an entry is opened");

    wxTEST_DIALOG(Activate(1), MessageAnswer(wxID_NO, UnsavedQuestion, SaveCaption));
    EXPECT_EQ(book->GetSelection(), 1);
    EXPECT_EQ(date->GetValue(), "02.03.2024");
    EXPECT_EQ(time->GetValue(), "12:30:00");
    EXPECT_EQ(summary->GetValue(), "Midday");
    EXPECT_EQ(content->GetValue(), "Felt better.\nSecond line.");
    for (wxTextCtrl* field : {date, time, summary, content})
        EXPECT_FALSE(field->IsEditable()) << field->GetName();
    const std::string before = ReadWorkFile(DiaryFile);
    ExpectSaveWarns();
    EXPECT_EQ(ReadWorkFile(DiaryFile), before);

    const wxDateTime earlier = wxDateTime::Now();
    Click(newButton);
    const wxDateTime later = wxDateTime::Now();
    EXPECT_TRUE(date->GetValue() == earlier.Format("%x") || date->GetValue() == later.Format("%x"))
        << date->GetValue();
    EXPECT_TRUE(time->GetValue() == earlier.Format("%X") || time->GetValue() == later.Format("%X"))
        << time->GetValue();
    EXPECT_FALSE(date->IsEditable());
    EXPECT_FALSE(time->IsEditable());
    EXPECT_EQ(summary->GetValue(), "");
    EXPECT_EQ(content->GetValue(), "");
    EXPECT_TRUE(summary->IsEditable());
    EXPECT_TRUE(content->IsEditable());
    EXPECT_EQ(book->GetSelection(), 1);
}

// Typed text of a new entry is not lost without a word: "New" again, opening
// an entry and closing ask once, whichever field holds the text; Yes saves,
// No drops, Cancel goes back to the text and changes nothing.
TEST_F(DiaryPageTest, UnsavedTextIsSavedOrDroppedAsTheUserSays)
{
    enum class Leave { New, Open, Close };
    const struct {
        Leave by;
        int answer;
        bool saved;
        const char* summaryText;
        const char* contentText;
    } cases[] = {{Leave::New, wxID_YES, true, "Evening", "Twenty minutes."},
                 {Leave::New, wxID_NO, false, "Evening", "Twenty minutes."},
                 {Leave::New, wxID_CANCEL, false, "Evening", "Twenty minutes."},
                 {Leave::Open, wxID_YES, true, "Evening", "Twenty minutes."},
                 {Leave::Open, wxID_NO, false, "", "Twenty minutes."},
                 {Leave::Open, wxID_CANCEL, false, "Evening", ""},
                 {Leave::Close, wxID_YES, true, "Evening", "Twenty minutes."},
                 {Leave::Close, wxID_NO, false, "Evening", "Twenty minutes."},
                 {Leave::Close, wxID_CANCEL, false, "Evening", "Twenty minutes."},
                 {Leave::New, wxID_YES, true, "Evening", ""},
                 {Leave::New, wxID_NO, false, "", "Twenty minutes."},
                 {Leave::Close, wxID_YES, true, "", "Twenty minutes."},
                 {Leave::Close, wxID_CANCEL, false, "Evening", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.by)) + ", " + std::to_string(c.answer) + ", \""
                     + c.summaryText + "\", \"" + c.contentText + "\"");
        CopyTestDataFile("diary_three_entries.xml", DiaryFile);
        Open();
        {
            // Nothing typed yet: nothing to ask.
            GTestModalHook noDialogs(__FILE__, __LINE__, "New");
            Click(newButton);
        }
        Type(summary, c.summaryText);
        Type(content, c.contentText);
        const wxString stamp = date->GetValue() + time->GetValue();
        switch (c.by) {
            case Leave::New:
                wxTEST_DIALOG(Click(newButton), MessageAnswer(c.answer, UnsavedQuestion, SaveCaption));
                break;
            case Leave::Open:
                wxTEST_DIALOG(Activate(1), MessageAnswer(c.answer, UnsavedQuestion, SaveCaption));
                break;
            case Leave::Close:
                if (c.answer == wxID_CANCEL) {
                    wxTEST_DIALOG(frame->Close(false), MessageAnswer(c.answer, UnsavedQuestion, SaveCaption));
                    RunEventLoopFor(100);
                } else {
                    wxTEST_DIALOG(CloseFrame(), MessageAnswer(c.answer, UnsavedQuestion, SaveCaption));
                }
                break;
        }
        const std::vector<DiaryEntry> entries = FileEntries();
        ASSERT_EQ(entries.size(), c.saved ? 4u : 3u);
        if (c.saved) {
            EXPECT_EQ(entries[3].Summary, c.summaryText);
            EXPECT_EQ(entries[3].Content, c.contentText);
        }
        if (c.answer == wxID_CANCEL) {
            // Nothing changed: the text, still editable, under its own stamp.
            EXPECT_TRUE(frame->IsShown());
            EXPECT_EQ(summary->GetValue(), c.summaryText);
            EXPECT_EQ(content->GetValue(), c.contentText);
            EXPECT_EQ(date->GetValue() + time->GetValue(), stamp);
            EXPECT_TRUE(summary->IsEditable());
            wxTEST_DIALOG(CloseFrame(), MessageAnswer(wxID_NO));
            continue;
        }
        if (c.by == Leave::New) {
            EXPECT_EQ(summary->GetValue(), "");
            EXPECT_EQ(content->GetValue(), "");
            EXPECT_TRUE(summary->IsEditable());
        } else if (c.by == Leave::Open) {
            EXPECT_EQ(summary->GetValue(), "Midday");
            EXPECT_FALSE(summary->IsEditable());
        }
        if (c.by != Leave::Close)
            CloseFrame();
    }
}

// Read-only fields look it, and the page says how to write an entry.
TEST_F(DiaryPageTest, ReadOnlyFieldsLookReadOnlyAndTheHintSaysPressNew)
{
    CopyTestDataFile("diary_three_entries.xml", DiaryFile);
    Open();
    wxStaticText* hint = Find<wxStaticText>("ID_STATICTEXT40");
    wxTextCtrl* plain = new wxTextCtrl(content->GetParent(), wxID_ANY);  // how an editable field looks
    const wxColour editable = plain->GetBackgroundColour();
    const auto expectViewing = [&](const char* when) {
        for (wxTextCtrl* field : {date, time, summary, content})
            EXPECT_NE(field->GetBackgroundColour(), editable) << when << " " << field->GetName();
        EXPECT_EQ(hint->GetLabel(), "Press New to write an entry") << when;
        EXPECT_TRUE(hint->IsShown()) << when;
    };
    expectViewing("at start");
    Click(newButton);
    for (wxTextCtrl* field : {summary, content})
        EXPECT_EQ(field->GetBackgroundColour(), editable) << field->GetName();
    for (wxTextCtrl* field : {date, time})
        EXPECT_NE(field->GetBackgroundColour(), editable) << field->GetName();
    EXPECT_EQ(hint->GetLabel(), "");
    Type(summary, "Saved");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
    expectViewing("after a save");
    Activate(0);
    expectViewing("opened");
    plain->Destroy();
}

TEST_F(DiaryPageTest, DateAndTimeColumnsFitTheirContents)
{
    // Measured in the list's font made bold, as some headers draw their titles.
    const auto expectFits = [this] {
        wxFont bold = list->GetFont();
        bold.MakeBold();
        for (int column : {0, 1}) {
            wxListItem title;
            title.SetMask(wxLIST_MASK_TEXT);
            list->GetColumn(column, title);
            int width = 0;
            list->GetTextExtent(title.GetText(), &width, nullptr, nullptr, nullptr, &bold);
            EXPECT_GE(list->GetColumnWidth(column), width + 16) << "title of column " << column;
            for (int row = 0; row < list->GetItemCount(); ++row)
                EXPECT_GE(list->GetColumnWidth(column),
                          list->GetTextExtent(list->GetItemText(row, column)).x + 16)
                    << "column " << column << " row " << row;
        }
    };
    Open();  // no diary yet: the titles alone
    expectFits();
    CloseFrame();
    // Dates and times as long as some locales write them.
    WriteWorkFile(DiaryFile, "<HistoryDoc><Entry><Date>Saturday, 1 November 2025</Date>"
                             "<Time>09:15:00 PM CET</Time><Summary>Long</Summary>"
                             "<Content/></Entry></HistoryDoc>");
    Open();
    expectFits();
    Click(newButton);
    Type(summary, "Later");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
    ASSERT_EQ(list->GetItemCount(), 2);
    expectFits();
}

// A diary long enough to be read beside the window at start-up: an entry
// saved before that reading may have ended goes after all of it, and the
// list shows every entry.
TEST_F(DiaryPageTest, ALongDiaryKeepsEveryEntry)
{
    const int count = 8000;  // about 1.5 MB
    std::string file = "<HistoryDoc>\n";
    for (int i = 0; i < count; ++i)
        file += "<Entry><Date>01.01.2026.</Date><Time>10:00:00</Time><Summary>Entry " + std::to_string(i)
                + "</Summary><Content>" + std::string(100, 'x') + "</Content></Entry>\n";
    file += "</HistoryDoc>\n";
    WriteWorkFile(DiaryFile, file);
    Open();
    Click(newButton);
    Type(summary, "Latest");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
    const std::vector<DiaryEntry> entries = FileEntries();
    ASSERT_EQ(entries.size(), count + 1u);
    EXPECT_EQ(entries[count - 1].Summary, "Entry 7999");
    EXPECT_EQ(entries.back().Summary, "Latest");
    Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(2);
    ASSERT_EQ(list->GetItemCount(), count + 1);
    ExpectRow(count - 1, "01.01.2026.", "10:00:00", "Entry 7999");
    EXPECT_EQ(list->GetItemText(count, 2), "Latest");
}

// Not a check: prints how long the list takes with a long-kept diary. Run with
// --gtest_also_run_disabled_tests --gtest_filter='*DiaryTiming*'.
TEST_F(DiaryPageTest, DISABLED_DiaryTimingWithFiveThousandEntries)
{
    const int count = 5000;
    std::string file = "<HistoryDoc>\n";
    for (int i = 0; i < count; ++i)
        file += "    <Entry>\n        <Date>15.03.2024</Date>\n        <Time>14:05:09</Time>\n"
                "        <Summary>Evening treatment number "
                + std::to_string(i)
                + "</Summary>\n        <Content>Spot 3, twenty minutes.\nFelt fine afterwards, "
                  "slept well.</Content>\n    </Entry>\n";
    file += "</HistoryDoc>\n";
    WriteWorkFile(DiaryFile, file);
    Open();
    ASSERT_EQ(list->GetItemCount(), count);

    using Clock = std::chrono::steady_clock;
    const auto milliseconds = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        frame->Diary().RefreshHistoryList(DiaryFile);
        std::printf("refresh of %d entries: %.1f ms\n", count, milliseconds(Clock::now() - start));
    }
    for (int run = 0; run < 3; ++run) {
        Click(newButton);
        Type(summary, "timed");
        const auto start = Clock::now();
        wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
        std::printf("save of entry %d (append and refresh): %.1f ms\n", list->GetItemCount(),
                    milliseconds(Clock::now() - start));
    }
    EXPECT_EQ(list->GetItemCount(), count + 3);
}

}  // namespace
