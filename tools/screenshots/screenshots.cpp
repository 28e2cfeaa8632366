// Saves a picture of each page of the main window and of the About box, to
// look at what a user sees. Run in the program's run directory under a
// display; the pictures go to the folder given as the first argument.
//
// With --help-pictures as the second argument it saves instead the pictures
// of the window that the help pages show (window*.png), cut to the window
// and scaled to the help pages' width, in the language of the environment.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "ui/frame/vitrel_app.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/diary_record_panel.h"

namespace {
const char* const PageShots[] = {"treatments", "advanced-settings", "diary", "intro"};
constexpr int SettleMilliseconds = 1500;
// The width of the window's pictures in the help pages.
constexpr int HelpPictureWidth = 560;

// Answers every message box with OK, as a user saying yes to writing.
class AnswerOk : public wxModalDialogHook {
protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override { }
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
        helpPictures = argc > 2 && wxString(argv[2]) == "--help-pictures";
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

    // The main window alone, scaled for the help pages, without time stamps
    // in the file.
    void ShootWindow(const char* name)
    {
        const wxRect r = frame->GetScreenRect();
        const wxString path = outputDir + "/" + name + ".png";
        const wxString command = wxString::Format(
            "sh -c 'import -window root -crop %dx%d+%d+%d +repage png:- | /usr/bin/convert png:- "
            "-resize %dx -strip -define png:exclude-chunks=date,time \"%s\"'",
            r.width, r.height, r.x, r.y, HelpPictureWidth, path);
        wxArrayString output;
        if (wxExecute(command, output, wxEXEC_SYNC) == 0)
            std::printf("%s\n", static_cast<const char*>(path.utf8_str()));
        else
            std::printf("could not save %s\n", static_cast<const char*>(path.utf8_str()));
        std::fflush(stdout);
    }

    // The pictures of the help pages: the Treatments page with a spot and
    // a treatment picked, the same after writing it, the Advanced Settings
    // page holding it, and a new diary entry.
    void OnHelpStep()
    {
        wxNotebook* pages = dynamic_cast<wxNotebook*>(wxWindow::FindWindowByName("ID_NOTEBOOK3", frame));
        switch (step++) {
            case 0:
                ShowSpot(3, pages);
                break;
            case 1:
                ShootWindow("window");
                WritePickedTreatment();
                break;
            case 2:
                ShootWindow("window-written");
                pages->SetSelection(1);
                break;
            case 3:
                ShootWindow("window-advanced");
                pages->SetSelection(2);
                dynamic_cast<wxNotebook*>(wxWindow::FindWindowByName("ID_NOTEBOOK1", frame))->SetSelection(1);
                Send(wxWindow::FindWindowByName("ID_BUTTON13", frame), wxEVT_BUTTON, 0);
                break;
            case 4:
                ShootWindow("window-diary");
                break;
            default:
                frame->Close(false);
                return;
        }
        timer.StartOnce(SettleMilliseconds);
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
        if (helpPictures) {
            OnHelpStep();
            return;
        }
        wxNotebook* pages = dynamic_cast<wxNotebook*>(wxWindow::FindWindowByName("ID_NOTEBOOK3", frame));
        if (step < 4) {
            Shoot(PageShots[step]);
            ++step;
            if (step < 4) {
                pages->SetSelection(step);
            } else {
                // The About box is made when first asked for: through its
                // menu item, shown modally while these steps go on.
                wxCommandEvent menu(wxEVT_MENU, frame->GetMenuBar()->FindMenuItem("Help", "About"));
                frame->GetEventHandler()->AddPendingEvent(menu);
            }
        } else if (step == 4) {
            wxDialog* about = dynamic_cast<wxDialog*>(wxWindow::FindWindowByName("id", frame));
            Shoot("about");
            if (about != nullptr)
                about->EndModal(wxID_OK);
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
            if (Unplug()) {
                step = 10;
                timer.StartOnce(2500);
                return;
            }
            step = 11;
        } else if (step == 10) {
            Shoot("on-the-stick-detached");
            ++step;
        } else if (step == 11) {
            // The diary, noting the programme written above.
            pages->SetSelection(2);
            ++step;
        } else if (step == 12) {
            Shoot("diary-note");
            // Print..., every entry: the toolkit's print preview.
            AnswerOk yes;
            yes.Register();
            Send(wxWindow::FindWindowByName("ID_BUTTON17", frame), wxEVT_BUTTON, 0);
            yes.Unregister();
            ++step;
        } else if (step == 13) {
            Shoot("diary-print-preview");
            for (wxWindow* window : wxTopLevelWindows)
                if (window != frame)
                    window->Close();
            // The question that Export... and Print... ask first, shown here
            // without waiting for an answer.
            period = new DiaryPeriodDialog(frame, wxGetTranslation("Print Diary"));
            period->Show();
            ++step;
        } else if (step == 14) {
            Shoot("diary-period");
            period->Destroy();
            ++step;
        } else if (step == 15) {
            // Help > Vitrel Help, as a user chooses it.
            wxMenuBar* menus = frame->GetMenuBar();
            const int help = menus->FindMenuItem(wxStripMenuCodes(wxGetTranslation("Help")),
                                                 wxGetTranslation("Vitrel Help"));
            wxCommandEvent choose(wxEVT_MENU, help);
            frame->GetEventHandler()->ProcessEvent(choose);
            ++step;
        } else if (step == 16) {
            Shoot("help");
            ++step;
        } else {
            frame->Close(false);
            return;
        }
        timer.StartOnce(SettleMilliseconds);
    }

    wxString outputDir;
    bool helpPictures = false;
    wxVitrelFrame* frame = nullptr;
    wxTimer timer;
    int step = 0;
    DiaryPeriodDialog* period = nullptr;
};
}  // namespace

wxIMPLEMENT_APP(ScreenshotApp);
