#pragma once

#include <wx/defs.h>

// The ids of the controls whose events the frame binds by id, and of the
// device timer and the Help menu item. They are fixed, so that the frame binds
// all of them at start-up, also those of a page that makes its controls only
// when it is first shown: their command events travel up to the frame. The
// controls keep their window names (in the comments), by which they are found.
// They lie above the toolkit's own ids (wxID_HIGHEST + 1 to + 33 in the help
// viewer, whose window's events travel up to the frame, its parent).
enum WindowId {
    BeeperBoxId = wxID_HIGHEST + 100,  // ID_CHECKBOX1
    TurnOffButtonId,  // ID_BUTTON15
    SpotChoiceId,  // ID_CHOICE1
    TreatmentListId,  // ID_LISTBOX1
    ApplyButtonId,  // ID_BUTTON10
    WriteTreatmentButtonId,  // ID_BUTTON9
    AdvancedWriteButtonId,  // ID_BUTTON4
    ReadDeviceButtonId,  // ID_BUTTON5
    ExportXmlButtonId,  // ID_BUTTON7
    ImportXmlButtonId,  // ID_BUTTON8
    BaseTimePeriodFieldId,  // ID_TEXTCTRL7
    BaseFrequencyFieldId,  // ID_TEXTCTRL11
    SlotCountFieldId,  // ID_TEXTCTRL8
    HistoryListId,  // ID_LISTVIEW1
    DiaryNewButtonId,  // ID_BUTTON13
    DiarySaveButtonId,  // ID_BUTTON12
    DiaryCloseButtonId,  // ID_BUTTON14
    MainNotebookId,  // ID_NOTEBOOK3
    BodyPictureId,  // ID_BITMAPBUTTON1
    HelpMenuItemId,  // "Vitrel Help"
    DeviceTimerId,
};
