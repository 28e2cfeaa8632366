// The Diary page in the real main window: the history list, opening an entry,
// composing and saving one.
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>

#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "gui_test_support.h"

namespace {

const char* const DiaryFile = "DiaryHistoryDB.xml";
const wxColour Grey(224, 224, 224);
const char* const SaveQuestion = "Do you want to save entry to history ?";
const char* const SaveCaption = "Save Entry to History";
const char* const ExistingWarning = "Existing entry cannot be saved !!!";

class DiaryPageTest : public FrameTest {
protected:
    void Open()
    {
        CreateFrame();
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
    int rows;           // entries it lists
    int answer;         // to the save question
    const char* notice; // shown after the question; nullptr: none
    bool saved;
};

void PrintTo(const ComposeCase& c, std::ostream* os) { *os << c.name; }

class ComposeAndSave : public DiaryPageTest, public testing::WithParamInterface<ComposeCase> {};

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
    const std::string typedUtf8 = "Gr\xc3\xbc\xc3\x9f" "e \xc4\x87 \xe6\x97\xa5\xe6\x9c\xac";
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
    testing::Values(ComposeCase{"NoDiaryFile", nullptr, 0, wxID_OK, nullptr, true},
                    ComposeCase{"ThreeEntries", "diary_three_entries.xml", 3, wxID_OK, nullptr, true},
                    ComposeCase{"Declined", "diary_three_entries.xml", 3, wxID_CANCEL, nullptr, false},
                    ComposeCase{"UnreadableDiary", "diary_truncated.xml", 0, wxID_OK,
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
    Type(summary, "discarded when an entry is opened");

    Activate(1);
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

}  // namespace
