#pragma once
// The commands the pages give the stick session (TreatmentsPage and
// AdvancedSettingsPage::WriteToStick, AdvancedSettingsPage::ReadFromStick,
// TopStrip::TurnOff and SendBeeper, all in ui/pages/stick_commands.cpp), and
// the texts the window shows of a programme's check. English texts, looked
// up for translation when shown.

extern const char* const ProgramCaption;
// The stick did not take the whole write.
extern const char* const WriteFailedNotice;
// The read-back after a write did not show the programme written.
extern const char* const NotConfirmedNotice;
