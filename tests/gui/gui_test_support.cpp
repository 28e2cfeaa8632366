#include "gui_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/config.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

namespace fs = std::filesystem;

void GTestModalHook::ReportFailure(const wxString& message)
{
    ADD_FAILURE_AT(file ? file : "?", line) << message.utf8_string();
}

int FileDialogAnswer::OnInvoked(wxFileDialog* dialog) const
{
    // An open dialog under GTK drops the selection of a file that its folder
    // listing does not hold yet (one written after the dialog was made); the
    // listing catches up in the event loop, so ask again until it takes.
    dialog->SetPath(path);
    wxStopWatch watch;
    while (dialog->GetPath() != path && watch.Time() < 2000) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
        dialog->SetPath(path);
    }
    return result;
}

int MessageAnswer::OnInvoked(wxMessageDialog* dialog) const
{
    if (!message.empty()) {
        EXPECT_EQ(dialog->GetMessage().utf8_string(), message.utf8_string());
    }
    if (!caption.empty()) {
        EXPECT_EQ(dialog->GetTitle().utf8_string(), caption.utf8_string());
    }
    return result;
}

void FrameTest::SetUp()
{
    previousDir = fs::current_path().string();
    ASSERT_TRUE(work.Made());
    fs::create_directory_symlink(fs::path(VITREL_RUN_DIR) / "share", work.path / "share");
    fs::create_directory_symlink(fs::path(VITREL_RUN_DIR) / "docs", work.path / "docs");
    fs::current_path(work.path);
    // No stick unless a test points the program at one.
    setenv("VITREL_SERIAL_PORTS", "", 1);
    // Settings go to this folder, never to the user's.
    setenv("XDG_CONFIG_HOME", (work.path / "config").c_str(), 1);
}

void FrameTest::TearDown()
{
    if (frame) {
        // A question at closing that the test did not answer fails it
        // instead of waiting for a user.
        GTestModalHook noDialogs(__FILE__, __LINE__, "closing");
        CloseFrame();
    }
    delete wxConfigBase::Set(nullptr);
    if (!previousDir.empty())
        fs::current_path(previousDir);
}

void FrameTest::WriteWorkFile(const std::string& name, const std::string& content) const
{
    work.Write(name, content);
}

std::string FrameTest::ReadWorkFile(const std::string& name) const
{
    return work.Read(name);
}

bool FrameTest::WorkFileExists(const std::string& name) const
{
    return fs::exists(work.path / name);
}

void FrameTest::CopyDeliveredFile(const std::string& name) const
{
    fs::copy_file(fs::path(VITREL_SOURCE_DIR) / "data" / name, work.path / name,
                  fs::copy_options::overwrite_existing);
}

void FrameTest::CopyTestDataFile(const std::string& name, const std::string& as) const
{
    fs::copy_file(fs::path(VITREL_TEST_DATA) / name, work.path / (as.empty() ? name : as),
                  fs::copy_options::overwrite_existing);
}

wxVitrelFrame* FrameTest::CreateFrame()
{
    frame = new wxVitrelFrame(nullptr, -1);
    frame->Show();
    wxTheApp->SetTopWindow(frame);
    RunEventLoopFor(50);
    return frame;
}

void FrameTest::CloseFrame(const std::function<void()>& close)
{
    bool destroyed = false;
    frame->Bind(wxEVT_DESTROY, [&destroyed, this](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == frame)
            destroyed = true;
        event.Skip();
    });
    if (close)
        close();
    else
        frame->Close(false);
    // The frame is deleted when the event loop next goes idle.
    WaitFor([&destroyed] { return destroyed; }, 5000);
    wxTheApp->ProcessIdle();
    EXPECT_TRUE(destroyed) << "the main window did not close";
    frame = nullptr;
}

void FrameTest::Click(wxWindow* control) const
{
    wxCommandEvent event(wxEVT_BUTTON, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::Toggle(wxCheckBox* box, bool checked) const
{
    // A user cannot click a box that is disabled.
    if (!box->IsEnabled()) {
        ADD_FAILURE() << box->GetName() << " is disabled and cannot be clicked";
        return;
    }
    box->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(checked ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::SelectChoice(const char* windowName, int index) const
{
    wxChoice* choice = Find<wxChoice>(windowName);
    choice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    event.SetInt(index);
    event.SetString(choice->GetString(index));
    choice->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::DoubleClickRow(int row) const
{
    wxListBox* list = Find<wxListBox>("ID_LISTBOX1");
    list->SetSelection(row);
    wxCommandEvent event(wxEVT_LISTBOX_DCLICK, list->GetId());
    event.SetEventObject(list);
    event.SetInt(row);
    list->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::Activate(long row) const
{
    wxListView* list = Find<wxListView>("ID_LISTVIEW1");
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    event.SetEventObject(list);
    event.m_itemIndex = row;
    list->GetEventHandler()->ProcessEvent(event);
}

int FrameTest::MenuId(const char* menu, const char* item) const
{
    return frame->GetMenuBar()->FindMenuItem(menu, item);
}

void FrameTest::SendMenu(int id) const
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::PressEnter(wxTextCtrl* field) const
{
    wxCommandEvent event(wxEVT_TEXT_ENTER, field->GetId());
    event.SetEventObject(field);
    event.SetString(field->GetValue());
    field->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::LeaveField(wxTextCtrl* field) const
{
    wxFocusEvent event(wxEVT_KILL_FOCUS, field->GetId());
    event.SetEventObject(field);
    field->GetEventHandler()->ProcessEvent(event);
    // What a focus change sets off runs once the change is over.
    wxTheApp->ProcessPendingEvents();
}

wxString FrameTest::Type(wxTextCtrl* field, const wxString& text) const
{
    for (wxUniChar ch : text) {
        wxKeyEvent key(wxEVT_CHAR);
        key.m_uniChar = ch;
        key.m_keyCode = ch.IsAscii() ? static_cast<int>(ch.GetValue()) : WXK_NONE;
        key.SetEventObject(field);
        key.SetId(field->GetId());
        // The validator vetoes a key by not skipping the event; a key that
        // passes reaches the native control, which inserts it.
        field->GetEventHandler()->ProcessEvent(key);
        if (key.GetSkipped())
            field->WriteText(wxString(ch));
    }
    return field->GetValue();
}

void FrameTest::Enter(wxTextCtrl* field, const wxString& text) const
{
    field->ChangeValue(wxEmptyString);
    Type(field, text);
    LeaveField(field);
}

void FrameTest::ShowPage(int page) const
{
    Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(page);
    frame->Raise();
    RunEventLoopFor(50);
}

AdvancedSettingsPage& FrameTest::AdvancedPage() const
{
    if (!frame->AdvancedSettings().HasContent())
        Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(1);
    return frame->AdvancedSettings();
}

std::string FrameTest::SlotStates() const
{
    std::string states;
    for (int i = 0; i < AdvancedPage().Slots().count; ++i)
        states += AdvancedPage().Slots().boxes[i]->GetValue() ? '1' : '0';
    return states;
}

void FrameTest::ShowEveryPage() const
{
    const int count = static_cast<int>(Find<wxNotebook>("ID_NOTEBOOK3")->GetPageCount());
    for (int page = count - 1; page >= 0; --page)
        ShowPage(page);
}

void FrameTest::TypeKeys(wxTextCtrl* field, const char* keys, int leaveBy, bool replace) const
{
    field->SetFocus();
    // The toolkit's own focus, which the keys go to.
    ASSERT_TRUE(WaitFor([&] { return gtk_widget_has_focus(field->GetHandle()); }, 2000)) << field->GetName();
    if (replace)
        field->SelectAll();
    else
        field->SetInsertionPointEnd();
    wxUIActionSimulator keyboard;
    if (*keys)
        keyboard.Text(keys);
    else if (replace)
        keyboard.Char(WXK_DELETE);
    if (leaveBy)
        keyboard.Char(leaveBy);
    RunEventLoopFor(100);
}

bool FrameTest::WaitFor(const std::function<bool()>& done, int milliseconds) const
{
    wxStopWatch watch;
    while (!done()) {
        if (watch.Time() > milliseconds)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

void FrameTest::RunEventLoopFor(int milliseconds) const
{
    WaitFor([] { return false; }, milliseconds);
}
