#include "ui/frame/vitrel_app.h"

wxIMPLEMENT_APP(wxVitrelApp);
