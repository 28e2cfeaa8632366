// The diary exported and printed from the Diary page.
#include <string>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/prntbase.h>

#include "ui/pages/diary_record_panel.h"
#include "gui_test_support.h"

namespace {
const char* const Diary =
    "<HistoryDoc>\n"
    "<Entry><Date>01.03.2026</Date><Time>08:15</Time><Summary>Rücken, \"links\"</Summary>"
    "<Content>Zeile 1\nZeile 2</Content></Entry>\n"
    "</HistoryDoc>\n";

// The period dialog closed with OK: every entry.
class PeriodAnswer : public wxExpectModalBase<DiaryPeriodDialog, PeriodAnswer> {
protected:
    int OnInvoked(DiaryPeriodDialog*) const override { return wxID_OK; }
};
}  // namespace

class DiaryRecordTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        WriteWorkFile("DiaryHistoryDB.xml", Diary);
        CreateFrame();
        ShowPage(2);
    }

    void Export(const std::string& name) const
    {
        wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(), FileDialogAnswer(WorkPath(name)));
    }
};

TEST_F(DiaryRecordTest, ExportWritesTheKindItsNameSaysNeverOverAFileUnaskedAndPrintPreviews)
{
    EXPECT_TRUE(Find<wxCheckBox>("ID_CHECKBOX7")->GetValue());  // on by default
    EXPECT_EQ(Find<wxButton>("ID_BUTTON16")->GetLabel(), wxString::FromUTF8("Export…"));
    Export("record.csv");
    EXPECT_EQ(ReadWorkFile("record.csv"),
              "\xEF\xBB\xBF"
              "Date,Time,Summary,Content\r\n"
              "01.03.2026,08:15,\"Rücken, \"\"links\"\"\",\"Zeile 1\nZeile 2\"\r\n");
    Export("record.html");
    EXPECT_NE(ReadWorkFile("record.html").find("<h1>Vitrel diary</h1>\n<p class=\"period\">All entries</p>"),
              std::string::npos);

    // Replacing is asked; the program's own files are refused.
    WriteWorkFile("record.csv", "keep");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(),
                  FileDialogAnswer(WorkPath("record.csv")),
                  MessageAnswer(wxID_CANCEL, "record.csv already exists. Do you want to replace it?"));
    EXPECT_EQ(ReadWorkFile("record.csv"), "keep");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON16")), PeriodAnswer(),
                  FileDialogAnswer(WorkPath("DiaryHistoryDB.xml")), MessageAnswer(wxID_OK));
    EXPECT_EQ(ReadWorkFile("DiaryHistoryDB.xml"), Diary);

    // Print shows the preview, which closes.
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON17")), PeriodAnswer());
    wxWindow* preview = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (preview = wxTopLevelWindows.GetLast()->GetData()) != frame; }, 3000));
    EXPECT_NE(dynamic_cast<wxPreviewFrame*>(preview), nullptr);
    preview->Close();
    EXPECT_TRUE(WaitFor([&] { return wxTopLevelWindows.GetCount() == 1; }, 3000));
}
