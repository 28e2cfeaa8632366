#include "app/vitrel_app.h"

wxIMPLEMENT_APP(wxVitrelApp);
