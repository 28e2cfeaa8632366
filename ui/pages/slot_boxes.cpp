// The slot boxes of the Advanced Settings page: a row of check boxes without
// labels in a scrolled window, one per slot of the working pattern.
#include <algorithm>

#include <wx/checkbox.h>
#include <wx/renderer.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

#include "ui/pages/advanced_settings_page.h"

namespace {
// The boxes have no visible label: a tool tip, and under GTK the accessible
// name a screen reader announces, say which slot a box is.
void DescribeSlotBox(wxCheckBox* box, int slot, int count)
{
    const wxString text = wxString::Format(
        // TRANSLATORS: tool tip of a slot box of the firing pattern, e.g. "Slot 3 of 10".
        _("Slot %d of %d"), slot, count);
    box->SetToolTip(text);
#ifdef __WXGTK3__
    atk_object_set_name(gtk_widget_get_accessible(box->GetHandle()), text.utf8_str());
#endif
}
}  // namespace

void AdvancedSettingsPage::RebuildSlotBoxes(int count)
{
    count = std::clamp(count, 0, static_cast<int>(FiringPattern::MaxSlots));
    pendingSlotCount = -1;
    slotBoxesRebuilt = true;
    if (!HasContent()) {
        unshown.slots.assign(count, false);
        return;
    }
    DestroySlotBoxes();
    AddSlotBoxes(count, "ID_CHECKBOX6");
}

void AdvancedSettingsPage::AddSlotBoxes(int count, const wxString& windowName)
{
    // A box without a label is measured too small by the toolkit; give it the
    // room its tick mark needs. That room is the same for every box of the
    // row, and measuring it costs about as much as making a box.
    const wxSize mark = wxRendererNative::Get().GetCheckBoxSize(slotWindow);
    wxSize room(mark.x + 8, mark.y + 8);
    for (int i = slotBoxes.count; i < count; ++i) {
        wxCheckBox* box = new wxCheckBox(slotWindow, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                         wxDefaultSize, 0, wxDefaultValidator, windowName);
        box->SetValue(false);
#ifdef __WXGTK3__
        // The toolkit hides an empty label, and GTK then complains about the
        // hidden widget each time the scrolled row moves the box. Shown, the
        // empty label takes no room, but GTK wants a little more for the box.
        gtk_widget_show(gtk_bin_get_child(GTK_BIN(box->GetHandle())));
        if (i == slotBoxes.count) {
            box->InvalidateBestSize();
            room.IncTo(box->GetBestSize());
        }
#endif
        box->SetMinSize(room);
        slotBoxes.sizer->Add(box, 0, wxALL, 0);
        slotBoxes.boxes[i] = box;
    }
    slotBoxes.count = count;
    PlaceSlotBoxes();
}

void AdvancedSettingsPage::DestroySlotBoxes()
{
    for (int i = 0; i < slotBoxes.count; ++i) {
        slotBoxes.sizer->Detach(slotBoxes.boxes[i]);
        slotBoxes.boxes[i]->Destroy();
        slotBoxes.boxes[i] = nullptr;
    }
    slotBoxes.count = 0;
}

void AdvancedSettingsPage::PlaceSlotBoxes()
{
    for (int i = 0; i < slotBoxes.count; ++i)
        DescribeSlotBox(slotBoxes.boxes[i], i + 1, slotBoxes.count);
    slotBoxes.sizer->Layout();
    slotBoxes.sizer->FitInside(slotWindow);
    slotWindow->SetScrollRate(20, 20);
}
