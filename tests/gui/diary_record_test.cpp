// The diary exported and printed from the Diary page.
#include <string>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/prntbase.h>

#include "diary/diary_record_ui.h"
#include "gui_test_support.h"

namespace {
const char* const Diary =
    "<HistoryDoc>\n"
    "<Entry><Date>01.03.2026</Date><Time>08:15</Time><Summary>Rücken, \"links\"</Summary>"
    "<Content>Zeile 1\nZeile 2</Content></Entry>\n"
    "</HistoryDoc>\n";

// The period dialog closed with `result`, every entry chosen.
class PeriodAnswer : public wxExpectModalBase<DiaryPeriodDialog, PeriodAnswer> {
public:
    explicit PeriodAnswer(int result) : result(result) { }

protected:
    int OnInvoked(DiaryPeriodDialog*) const override { return result; }

private:
    int result;
};
}  // namespace

class DiaryRecordTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        WriteWorkFile("DiaryHistoryDB.xml", Diary);
        CreateFrame();
    }

    void Export(const std::string& name) const
    {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(wxID_OK),
                      FileDialogAnswer(WorkPath(name)));
    }
};

TEST_F(DiaryRecordTest, ExportWritesTheKindItsNameSaysAndNeverOverAFileUnasked)
{
    EXPECT_TRUE(Find<wxCheckBox>("ID_CHECKBOX7")->GetValue());  // on by default
    EXPECT_EQ(Find<wxButton>("ID_BUTTON16")->GetLabel(), wxString::FromUTF8("Export…"));
    Export("record.csv");
    EXPECT_EQ(ReadWorkFile("record.csv"),
              "\xEF\xBB\xBF"
              "Date,Time,Summary,Content\r\n"
              "01.03.2026,08:15,\"Rücken, \"\"links\"\"\",\"Zeile 1\nZeile 2\"\r\n");
    Export("record.html");
    const std::string html = ReadWorkFile("record.html");
    EXPECT_NE(html.find("<h1>Vitrel diary</h1>\n<p class=\"period\">All entries</p>"), std::string::npos)
        << html;
    EXPECT_NE(html.find("Rücken, &quot;links&quot;"), std::string::npos) << html;

    // Replacing is asked; the program's own files are refused.
    WriteWorkFile("record.csv", "keep");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(wxID_OK),
                  FileDialogAnswer(WorkPath("record.csv")),
                  MessageAnswer(wxID_CANCEL, "record.csv already exists. Do you want to replace it?"));
    EXPECT_EQ(ReadWorkFile("record.csv"), "keep");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(wxID_OK),
                  FileDialogAnswer(WorkPath("DiaryHistoryDB.xml")), MessageAnswer(wxID_OK));
    EXPECT_EQ(ReadWorkFile("DiaryHistoryDB.xml"), Diary);
}

TEST_F(DiaryRecordTest, PrintShowsThePreviewWhichCloses)
{
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON17")), PeriodAnswer(wxID_OK));
    wxPreviewFrame* preview = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (wxWindow* window : wxTopLevelWindows)
                if ((preview = dynamic_cast<wxPreviewFrame*>(window)) != nullptr)
                    return true;
            return false;
        },
        3000));
    EXPECT_TRUE(preview->IsShown());
    preview->Close();
    EXPECT_TRUE(WaitFor([&] { return wxTopLevelWindows.GetCount() == 1; }, 3000));
}
