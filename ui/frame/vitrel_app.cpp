#include "ui/frame/vitrel_app.h"

#include <clocale>
#include <cstdio>
#include <string>

#include <wx/event.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#include "ui/common/resource_path.h"
#include "ui/common/translations.h"
#include "ui/frame/vitrel_frame.h"

void PrepareProcess()
{
    wxInitAllImageHandlers();
    // Update-UI events go only to windows that ask for them: otherwise every
    // idle moment, ten times a second after each device tick, sends one to
    // every control, and only the Advanced Settings page's pattern preview
    // uses them.
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    // Idle events likewise: no window of the program handles them, and
    // sending one to each window after every tick costs more than the tick.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    std::setlocale(LC_TIME, "");
#ifdef LC_MESSAGES
    // The toolkit's own buttons and file chooser speak the desktop's language
    // through the C library; the number format stays "C".
    std::setlocale(LC_MESSAGES, "");
#endif
    LoadTranslations();
}

namespace {
void ShowRunningWindow(wxWindow* window)
{
    wxTopLevelWindow* frame = dynamic_cast<wxTopLevelWindow*>(window);
    if (frame == nullptr)  // still being built: it shows itself when done
        return;
    if (frame->IsIconized())
        frame->Iconize(false);
    frame->Show();
    frame->Raise();
}
}  // namespace

bool wxVitrelApp::OnInit()
{
    PrepareProcess();
    SetUpResourceLayout();
    if (!instance.Claim(UserFilesFolder(), [this] { ShowRunningWindow(GetTopWindow()); })) {
        const std::string folder(UserFilesFolder().utf8_str());
        std::puts(("Vitrel is already running for " + folder
                   + (instance.RunningCopyShown() ? "; its window was brought to the front"
                                                  : "; its window could not be reached"))
                      .c_str());
        secondStart = true;
        return true;
    }
    wxVitrelFrame* frame = new wxVitrelFrame(nullptr, -1);
    frame->Show();
    SetTopWindow(frame);
    // Missing files are named once, over the open window.
    const wxString missing = MissingResourcesMessage();
    if (!missing.empty())
        frame->CallAfter([missing] { ShowNotice(missing, "Missing files"); });
    return true;
}

int wxVitrelApp::OnRun()
{
    return secondStart ? 0 : wxApp::OnRun();
}
