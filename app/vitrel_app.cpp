#include "app/vitrel_app.h"

#include <clocale>

#include <wx/event.h>
#include <wx/image.h>

#include "app/vitrel_frame.h"

void PrepareProcess()
{
    wxInitAllImageHandlers();
    // Update-UI events go only to windows that ask for them: otherwise every
    // idle moment, ten times a second after each device tick, sends one to
    // every control, and nothing here uses them.
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    std::setlocale(LC_TIME, "");
}

bool wxVitrelApp::OnInit()
{
    PrepareProcess();
    wxVitrelFrame* frame = new wxVitrelFrame(nullptr, -1);
    frame->Show();
    SetTopWindow(frame);
    return true;
}
