// Saves a picture of each page of the main window and of the About box, to
// look at what a user sees. Run in the program's run directory under a
// display; the pictures go to the folder given as the first argument.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/modalhook.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "app/vitrel_app.h"
#include "app/vitrel_frame.h"

namespace {
const char* const PageShots[] = {"treatments", "advanced-settings", "diary", "intro"};
constexpr int SettleMilliseconds = 1500;

// Answers every message box with OK, as a user saying yes to writing.
class AnswerOk : public wxModalDialogHook {
protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override {}
};

void Send(wxWindow* control, wxEventType type, int selection)
{
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(selection);
    control->GetEventHandler()->ProcessEvent(event);
}

class ScreenshotApp : public wxApp {
public:
    bool OnInit() override
    {
        outputDir = argc > 1 ? wxString(argv[1]) : wxString(".");
        PrepareProcess();
        frame = new wxVitrelFrame(nullptr, -1);
        frame->Show();
        SetTopWindow(frame);
        timer.Bind(wxEVT_TIMER, &ScreenshotApp::OnStep, this);
        timer.StartOnce(SettleMilliseconds);
        return true;
    }

private:
    void Shoot(const char* name)
    {
        const wxString path = outputDir + "/" + name + ".png";
        wxArrayString output;
        if (wxExecute("import -window root " + path, output, wxEXEC_SYNC) == 0)
            std::printf("%s\n", static_cast<const char*>(path.utf8_str()));
        else
            std::printf("could not save %s\n", static_cast<const char*>(path.utf8_str()));
        std::fflush(stdout);
    }

    // The Treatments page filtered to one body spot, with the first of its
    // treatments picked, as a user choosing them.
    void ShowSpot(int spot, wxNotebook* pages)
    {
        pages->SetSelection(0);
        wxChoice* spots = dynamic_cast<wxChoice*>(wxWindow::FindWindowByName("ID_CHOICE1", frame));
        spots->SetSelection(spot + 1);
        Send(spots, wxEVT_CHOICE, spot + 1);
        wxListBox* list = dynamic_cast<wxListBox*>(wxWindow::FindWindowByName("ID_LISTBOX1", frame));
        if (list->GetCount() > 0) {
            list->SetSelection(0);
            Send(list, wxEVT_LISTBOX_DCLICK, 0);
        }
    }

    // Write Vitrel on the Treatments page, answered with OK.
    void WritePickedTreatment()
    {
        AnswerOk yes;
        yes.Register();
        Send(wxWindow::FindWindowByName("ID_BUTTON9", frame), wxEVT_BUTTON, 0);
        yes.Unregister();
    }

    // Types `text` into a number field of the Advanced Settings page and
    // presses Enter there, as a user would.
    void ConfirmField(const char* name, const char* text)
    {
        wxTextCtrl* field = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, frame));
        field->ChangeValue(text);
        wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
        enter.SetEventObject(field);
        enter.SetString(text);
        field->GetEventHandler()->ProcessEvent(enter);
    }

    // Tells the simulated stick to unplug through its control FIFO, named
    // by VITREL_STICK_CONTROL; false without one.
    bool Unplug()
    {
        wxString control;
        if (!wxGetEnv("VITREL_STICK_CONTROL", &control) || control.empty())
            return false;
        FILE* fifo = std::fopen(control.utf8_str(), "w");
        if (!fifo)
            return false;
        std::fputs("unplug\n", fifo);
        std::fclose(fifo);
        return true;
    }

    void OnStep(wxTimerEvent&)
    {
        wxNotebook* pages = dynamic_cast<wxNotebook*>(wxWindow::FindWindowByName("ID_NOTEBOOK3", frame));
        wxWindow* about = wxWindow::FindWindowByName("id", frame);
        if (step < 4) {
            Shoot(PageShots[step]);
            ++step;
            if (step < 4)
                pages->SetSelection(step);
            else
                about->Show();
        } else if (step == 4) {
            Shoot("about");
            about->Hide();
            ShowSpot(3, pages);
            ++step;
        } else if (step == 5) {
            Shoot("treatments-spot-3");
            WritePickedTreatment();
            ++step;
        } else if (step == 6) {
            Shoot("treatments-written");
            pages->SetSelection(1);
            ConfirmField("ID_TEXTCTRL8", "30");
            ++step;
        } else if (step == 7) {
            Shoot("advanced-settings-30-slots");
            // Base Frequency 0.5, then 0, which is not taken: 0.5 comes back.
            ConfirmField("ID_TEXTCTRL11", "0.5");
            ConfirmField("ID_TEXTCTRL11", "0");
            ++step;
        } else if (step == 8) {
            Shoot("advanced-settings-after-invalid-entry");
            // Turn Off, answered with OK: the area shows the field off.
            pages->SetSelection(0);
            AnswerOk yes;
            yes.Register();
            Send(wxWindow::FindWindowByName("ID_BUTTON15", frame), wxEVT_BUTTON, 0);
            yes.Unregister();
            ++step;
        } else if (step == 9) {
            Shoot("on-the-stick-field-off");
            // The simulated stick unplugged, when this run started it: the
            // area says that no stick is attached once the monitor notices.
            step = Unplug() ? 10 : 11;
            if (step == 10) {
                timer.StartOnce(2500);
                return;
            }
        } else if (step == 10) {
            Shoot("on-the-stick-detached");
            ++step;
        } else {
            frame->Close(false);
            return;
        }
        timer.StartOnce(SettleMilliseconds);
    }

    wxString outputDir;
    wxVitrelFrame* frame = nullptr;
    wxTimer timer;
    int step = 0;
};
}  // namespace

wxIMPLEMENT_APP(ScreenshotApp);
