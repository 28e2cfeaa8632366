#include "app/vitrel_app.h"

#include <clocale>

#include <wx/image.h>

#include "app/vitrel_frame.h"

void PrepareProcess()
{
    wxInitAllImageHandlers();
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
