#pragma once

#include <vector>

#include <wx/string.h>

class wxEvtHandler;

// The modal message boxes of every question and refusal: no parent window.
// `message` and `caption` are the English texts, which the boxes look up
// for translation themselves: pass string literals (or constants marked
// with wxTRANSLATE), never _() texts. scripts/update-translations knows
// these helpers, so their literal arguments reach the translation template.
bool ConfirmAction(const char* message, const char* caption);
void ShowNotice(const char* message, const char* caption);
// A message already translated and filled in, for example
// wxString::Format(_("... %s ..."), name); only the caption is looked up.
void ShowNotice(const wxString& shownMessage, const char* caption);
bool ConfirmAction(const wxString& shownMessage, const char* caption);
// A question answered Yes or No, and Cancel when `cancellable`: wxID_YES,
// wxID_NO or wxID_CANCEL.
int AskYesNo(const char* message, const char* caption, bool cancellable);
// Starts counting the modal dialogs that are open, for the notices a
// NoticeQueue holds back; called once, before any dialog opens.
void WatchModalDialogs();

// Notices shown once no other modal box is open, after the current handler:
// a box opened from the timer handler would hold it, and one opened over
// another box hides what it answers.
class NoticeQueue {
public:
    // `owner` runs the showing after its current handler.
    explicit NoticeQueue(wxEvtHandler* owner) : owner(owner) { }

    void Post(const char* message, const char* caption);
    // Shows what waits once the boxes open now are closed; called on every
    // tick of the device timer too.
    void ScheduleShowing();

private:
    void ShowAll();

    struct Notice {
        const char* message;  // English texts, as ShowNotice takes them
        const char* caption;
    };
    wxEvtHandler* owner;
    std::vector<Notice> waiting;
    bool due = false;  // ShowAll runs after the current handler
};
