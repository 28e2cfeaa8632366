#pragma once
// Support for window tests: the real wxVitrelFrame in a fresh working folder,
// modal dialogs answered through the testing hook, and waits with a limit.

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "ui/frame/vitrel_frame.h"
#include "ui/pages/advanced_settings_page.h"
#include "temp_folder.h"

// wxTEST_DIALOG(code, expectations...) runs `code` and answers its modal
// dialogs in order. Through this hook a dialog that no expectation was written
// for, or an expected one that never came, fails the running test instead of
// opening an assert box.
class GTestModalHook : public wxTestingModalHook {
public:
    GTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), file(file), line(line)
    { }
    void ReportFailure(const wxString& message) override;

private:
    const char* file;
    int line;
};

// A file dialog answered with `path` set, as a user picking that file would.
class FileDialogAnswer : public wxExpectModalBase<wxFileDialog, FileDialogAnswer> {
public:
    FileDialogAnswer(const wxString& path, int result = wxID_OK) : path(path), result(result) { }

protected:
    int OnInvoked(wxFileDialog* dialog) const override;

private:
    wxString path;
    int result;
};

// A message box answered with `result` (wxID_OK or wxID_CANCEL), whose message
// must equal `message` when it is not empty.
class MessageAnswer : public wxExpectModalBase<wxMessageDialog, MessageAnswer> {
public:
    explicit MessageAnswer(int result, const wxString& message = wxString(),
                           const wxString& caption = wxString())
        : result(result), message(message), caption(caption)
    { }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    int result;
    wxString message;
    wxString caption;
};

// Each test gets its own empty working folder holding the run-time resources
// (share/, docs/) and, unless told otherwise, the delivered data files.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files in the working folder.
    std::string WorkDir() const { return work.path.string(); }
    std::string WorkPath(const std::string& name) const { return work.PathOf(name); }
    void WriteWorkFile(const std::string& name, const std::string& content) const;
    std::string ReadWorkFile(const std::string& name) const;
    bool WorkFileExists(const std::string& name) const;
    void CopyDeliveredFile(const std::string& name) const;  // from data/
    void CopyTestDataFile(const std::string& name, const std::string& as = "") const;  // from tests/data/

    // The frame, built in the working folder with the current environment.
    wxVitrelFrame* CreateFrame();
    // Closes the frame as a user would (or with `close`) and waits until it
    // is gone (its destructor has run).
    void CloseFrame(const std::function<void()>& close = nullptr);
    wxVitrelFrame* frame = nullptr;

    // A control of the Advanced Settings page not made yet is looked for again
    // once that page has been shown, as a user reaching it would have it.
    template <class T> T* Find(const char* windowName) const
    {
        wxWindow* window = wxWindow::FindWindowByName(windowName, frame);
        if (window == nullptr && frame != nullptr && !frame->AdvancedSettings().HasContent()) {
            AdvancedPage();
            window = wxWindow::FindWindowByName(windowName, frame);
        }
        T* control = dynamic_cast<T*>(window);
        EXPECT_NE(control, nullptr) << windowName;
        return control;
    }

    // User actions, delivered as the toolkit would deliver them.
    void Click(wxWindow* control) const;  // button or bitmap button
    void Toggle(wxCheckBox* box, bool checked) const;  // sets and sends the click event
    void SelectChoice(const char* windowName, int index) const;
    void DoubleClickRow(int row) const;  // a row of the treatments list
    void Activate(long row) const;  // double-click or Enter on a diary row
    int MenuId(const char* menu, const char* item) const;
    void SendMenu(int id) const;
    void PressEnter(wxTextCtrl* field) const;
    void LeaveField(wxTextCtrl* field) const;  // the field loses the focus
    // Types text key by key through the field's validator; returns the text
    // the field then holds.
    wxString Type(wxTextCtrl* field, const wxString& text) const;
    // Replaces the field's text with `text` as typed, then leaves the field.
    void Enter(wxTextCtrl* field, const wxString& text) const;
    // Real key presses, as a user makes them: shows main notebook page
    // `page` in front; focuses the field, replaces its text (unless `replace`
    // is false) with `keys`, then leaves it with `leaveBy` (WXK_TAB or
    // WXK_RETURN; 0 stays in the field).
    void ShowPage(int page) const;
    // Shows every page in turn, as a user looking at each, and the first again:
    // each page's controls are made when it is first shown.
    void ShowEveryPage() const;
    // The Advanced Settings page, shown in front first if its controls are
    // not made yet, as a user reaching them would have it.
    AdvancedSettingsPage& AdvancedPage() const;
    // The Advanced Settings page's slot boxes, '1' checked and '0' not.
    std::string SlotStates() const;
    void TypeKeys(wxTextCtrl* field, const char* keys, int leaveBy, bool replace = true) const;

    // Runs the event loop until `done` holds or `milliseconds` pass.
    bool WaitFor(const std::function<bool()>& done, int milliseconds) const;
    void RunEventLoopFor(int milliseconds) const;

private:
    TempFolder work;
    std::string previousDir;
};
