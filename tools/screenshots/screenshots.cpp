// Saves a picture of each page of the main window and of the About box, to
// look at what a user sees. Run in the program's run directory under a
// display; the pictures go to the folder given as the first argument.
#include <wx/app.h>
#include <wx/choice.h>
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

    // The Treatments page filtered to one body spot, as a user choosing it.
    void ShowSpot(int spot, wxNotebook* pages)
    {
        pages->SetSelection(0);
        wxChoice* spots = dynamic_cast<wxChoice*>(wxWindow::FindWindowByName("ID_CHOICE1", frame));
        spots->SetSelection(spot + 1);
        wxCommandEvent choose(wxEVT_CHOICE, spots->GetId());
        choose.SetEventObject(spots);
        choose.SetInt(spot + 1);
        spots->GetEventHandler()->ProcessEvent(choose);
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
            pages->SetSelection(1);
            ConfirmField("ID_TEXTCTRL8", "30");
            ++step;
        } else if (step == 6) {
            Shoot("advanced-settings-30-slots");
            // Base Frequency 0.5, then 0, which is not taken: 0.5 comes back.
            ConfirmField("ID_TEXTCTRL11", "0.5");
            ConfirmField("ID_TEXTCTRL11", "0");
            ++step;
        } else if (step == 7) {
            Shoot("advanced-settings-after-invalid-entry");
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
