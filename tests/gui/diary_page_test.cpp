// The Diary page in the real main window: the history list, opening an entry,
// composing and saving one.
#include <clocale>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/regex.h>

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

    // A double-click (or Enter) on a row.
    void Activate(long row) const
    {
        wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
        event.SetEventObject(list);
        event.m_itemIndex = row;
        list->GetEventHandler()->ProcessEvent(event);
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

TEST_F(DiaryPageTest, WithoutADiaryFileSaveWarnsUntilNewAndTheFirstSaveCreatesTheFile)
{
    Open();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_FALSE(summary->IsEditable());
    EXPECT_FALSE(content->IsEditable());

    ExpectSaveWarns();
    EXPECT_FALSE(WorkFileExists(DiaryFile));

    Click(newButton);
    Type(summary, "First");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
    const std::vector<DiaryEntry> entries = FileEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Summary, "First");
    ASSERT_EQ(list->GetItemCount(), 1);
    ExpectRow(0, date->GetValue(), time->GetValue(), "First");
}

TEST_F(DiaryPageTest, ASavedEntryIsAppendedAsTheLastRowAndCannotBeSavedAgain)
{
    CopyTestDataFile("diary_three_entries.xml", DiaryFile);
    Open();
    ASSERT_EQ(list->GetItemCount(), 3);
    ExpectRow(1, "02.03.2024", "12:30:00", "Midday");
    EXPECT_EQ(list->GetItemBackgroundColour(0), Grey);
    EXPECT_NE(list->GetItemBackgroundColour(1), Grey);
    EXPECT_EQ(list->GetItemBackgroundColour(2), Grey);

    Click(newButton);
    // Typed text is not limited to what the C library's locale can represent.
    const std::string typedUtf8 = "Gr\xc3\xbc\xc3\x9f" "e \xc4\x87 \xe6\x97\xa5\xe6\x9c\xac";
    const wxString typedSummary = wxString::FromUTF8(typedUtf8);
    Type(summary, typedSummary);
    Type(content, "Spot 3.\nTwenty minutes.");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));

    const std::vector<DiaryEntry> entries = FileEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].Date, date->GetValue().utf8_string());
    EXPECT_EQ(entries[3].Time, time->GetValue().utf8_string());
    EXPECT_EQ(entries[3].Summary, typedUtf8);
    EXPECT_EQ(entries[3].Content, "Spot 3.\nTwenty minutes.");
    EXPECT_NE(ReadWorkFile(DiaryFile).find("<Summary>" + typedUtf8 + "</Summary>"),
              std::string::npos);

    ASSERT_EQ(list->GetItemCount(), 4);
    ExpectRow(3, date->GetValue(), time->GetValue(), typedSummary);
    EXPECT_EQ(list->GetItemBackgroundColour(2), Grey);
    EXPECT_FALSE(list->GetItemBackgroundColour(3).IsOk());

    // The page now views the saved entry.
    EXPECT_FALSE(summary->IsEditable());
    EXPECT_FALSE(content->IsEditable());
    EXPECT_EQ(summary->GetValue(), typedSummary);
    const std::string saved = ReadWorkFile(DiaryFile);
    ExpectSaveWarns();
    EXPECT_EQ(ReadWorkFile(DiaryFile), saved);
}

TEST_F(DiaryPageTest, ADeclinedSaveChangesNothingAndAsksAgain)
{
    CopyTestDataFile("diary_three_entries.xml", DiaryFile);
    const std::string before = ReadWorkFile(DiaryFile);
    Open();

    Click(newButton);
    Type(summary, "Maybe later");
    Type(content, "draft");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_CANCEL, SaveQuestion, SaveCaption));

    EXPECT_EQ(ReadWorkFile(DiaryFile), before);
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_TRUE(summary->IsEditable());
    EXPECT_TRUE(content->IsEditable());
    EXPECT_EQ(summary->GetValue(), "Maybe later");
    EXPECT_EQ(content->GetValue(), "draft");

    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_CANCEL, SaveQuestion, SaveCaption));
    EXPECT_EQ(ReadWorkFile(DiaryFile), before);
}

TEST_F(DiaryPageTest, AnOpenedEntryIsReadOnlyAndNewStartsAFreshOne)
{
    CopyTestDataFile("diary_three_entries.xml", DiaryFile);
    Open();
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

TEST_F(DiaryPageTest, AnUnreadableDiaryIsNotOverwrittenAndTheTextStays)
{
    CopyTestDataFile("diary_truncated.xml", DiaryFile);
    const std::string before = ReadWorkFile(DiaryFile);
    Open();
    EXPECT_EQ(list->GetItemCount(), 0);

    Click(newButton);
    Type(summary, "Important note");
    Type(content, "Do not lose me.");
    wxTEST_DIALOG(Click(saveButton), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption),
                  MessageAnswer(wxID_OK,
                                "The diary file \"DiaryHistoryDB.xml\" could not be read, so the "
                                "entry was not saved. The file was left as it is.",
                                "Warning"));

    EXPECT_EQ(ReadWorkFile(DiaryFile), before);
    EXPECT_TRUE(summary->IsEditable());
    EXPECT_EQ(summary->GetValue(), "Important note");
    EXPECT_EQ(content->GetValue(), "Do not lose me.");
}

TEST_F(DiaryPageTest, DateAndTimeAreInTheUsersFormat)
{
    const std::string previous = std::setlocale(LC_TIME, nullptr);
    if (std::setlocale(LC_TIME, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    Open();
    const wxString today = wxDateTime::Today().Format("%d.%m.%Y");
    Click(newButton);
    const wxString afterwards = wxDateTime::Today().Format("%d.%m.%Y");
    std::setlocale(LC_TIME, previous.c_str());

    EXPECT_TRUE(date->GetValue() == today || date->GetValue() == afterwards) << date->GetValue();
    EXPECT_TRUE(wxRegEx("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$").Matches(time->GetValue()))
        << time->GetValue();
}

}  // namespace
