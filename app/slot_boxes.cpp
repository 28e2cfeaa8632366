#include <wx/checkbox.h>
#include <wx/renderer.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>

#include "app/control_ids.h"
#include "app/vitrel_frame.h"

void wxVitrelFrame::AddSlotBoxes(int count, const wxString& windowName)
{
    // A box without a label is measured too small by the toolkit; give it the
    // room its tick mark needs. That room is the same for every box of the
    // row, and measuring it costs about as much as making a box.
    const wxSize mark = wxRendererNative::Get().GetCheckBoxSize(slotWindow);
    const wxSize room(mark.x + 8, mark.y + 8);
    for (int i = slotBoxes.count; i < count; ++i) {
        wxCheckBox* box = new wxCheckBox(slotWindow, ID_SLOTBOX, wxEmptyString, wxDefaultPosition,
                                         wxDefaultSize, 0, wxDefaultValidator, windowName);
        box->SetValue(false);
        box->SetMinSize(room);
        slotBoxes.sizer->Add(box, 0, wxALL, 0);
        slotBoxes.boxes[i] = box;
    }
    slotBoxes.count = count;
    PlaceSlotBoxes();
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
    AddSlotBoxes(count, "ID_CHECKBOX0");
}
