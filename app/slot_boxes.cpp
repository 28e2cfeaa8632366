#include <wx/checkbox.h>
#include <wx/renderer.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>

#include "app/control_ids.h"
#include "app/vitrel_frame.h"

wxCheckBox* wxVitrelFrame::NewSlotBox(const wxString& windowName)
{
    wxCheckBox* box = new wxCheckBox(slotWindow, ID_SLOTBOX, wxEmptyString, wxDefaultPosition,
                                     wxDefaultSize, 0, wxDefaultValidator, windowName);
    box->SetValue(false);
    // A box without a label is measured too small by the toolkit; give it the
    // room its tick mark needs.
    const wxSize mark = wxRendererNative::Get().GetCheckBoxSize(box);
    box->SetMinSize(wxSize(mark.x + 8, mark.y + 8));
    slotBoxes.sizer->Add(box, 0, wxALL, 0);
    return box;
}

void wxVitrelFrame::DestroySlotBoxes()
{
    for (int i = 0; i < slotBoxes.count; ++i) {
        slotBoxes.sizer->Detach(slotBoxes.boxes[i]);
        slotBoxes.boxes[i]->Destroy();
        slotBoxes.boxes[i] = nullptr;
    }
    slotBoxes.count = 0;
}

void wxVitrelFrame::PlaceSlotBoxes()
{
    slotBoxes.sizer->Layout();
    slotBoxes.sizer->FitInside(slotWindow);
    slotWindow->SetScrollRate(20, 20);
}

void wxVitrelFrame::CreateDefaultSlotBoxes(int count)
{
    for (int i = 0; i < count; ++i)
        slotBoxes.boxes[i] = NewSlotBox("ID_CHECKBOX0");
    slotBoxes.count = count;
    PlaceSlotBoxes();
}
