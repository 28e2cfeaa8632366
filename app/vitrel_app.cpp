#include "app/vitrel_app.h"

#include <clocale>

#include <wx/event.h>
#include <wx/image.h>

#include "app/resource_path.h"
#include "app/translations.h"
#include "app/vitrel_frame.h"

void PrepareProcess()
{
    wxInitAllImageHandlers();
    // Update-UI events go only to windows that ask for them: otherwise every
    // idle moment, ten times a second after each device tick, sends one to
    // every control, and only the Advanced Settings page's pattern preview
    // uses them.
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    std::setlocale(LC_TIME, "");
#ifdef LC_MESSAGES
    // The toolkit's own buttons and file chooser speak the desktop's language
    // through the C library; the number format stays "C".
    std::setlocale(LC_MESSAGES, "");
#endif
    LoadTranslations();
}

bool wxVitrelApp::OnInit()
{
    PrepareProcess();
    SetUpResourceLayout();
    wxVitrelFrame* frame = new wxVitrelFrame(nullptr, -1);
    frame->Show();
    SetTopWindow(frame);
    // Missing files are named once, over the open window.
    const wxString missing = MissingResourcesMessage();
    if (!missing.empty())
        frame->CallAfter([missing] { ShowNotice(missing, "Missing files"); });
    return true;
}
