#include <wx/msgdlg.h>
#include <wx/intl.h>
#include <wx/modalhook.h>
#include <wx/event.h>

#include "ui/widgets/message_boxes.h"

namespace {
wxString Translated(const char* key)
{
    return wxGetTranslation(key);
}
}  // namespace

bool ConfirmAction(const char* message, const char* caption)
{
    return ConfirmAction(Translated(message), caption);
}

bool ConfirmAction(const wxString& shownMessage, const char* caption)
{
    wxMessageDialog box(nullptr, shownMessage, Translated(caption), wxOK | wxCANCEL);
    return box.ShowModal() == wxID_OK;
}

void ShowNotice(const char* message, const char* caption)
{
    ShowNotice(Translated(message), caption);
}

void ShowNotice(const wxString& shownMessage, const char* caption)
{
    wxMessageDialog box(nullptr, shownMessage, Translated(caption), wxOK);
    box.ShowModal();
}

int AskYesNo(const char* message, const char* caption, bool cancellable)
{
    wxMessageDialog box(nullptr, Translated(message), Translated(caption),
                        wxYES_NO | (cancellable ? wxCANCEL : 0));
    return box.ShowModal();
}

namespace {
// Counts the modal dialogs open now: message boxes, file dialogs, About.
class ModalDialogCounter : public wxModalDialogHook {
public:
    int open = 0;

protected:
    int Enter(wxDialog*) override
    {
        ++open;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override { --open; }
};

ModalDialogCounter& ModalDialogs()
{
    static ModalDialogCounter counter;
    return counter;
}
}  // namespace

void WatchModalDialogs()
{
    static bool registered = false;
    if (!registered)
        ModalDialogs().Register();
    registered = true;
}

void NoticeQueue::Post(const char* message, const char* caption)
{
    waiting.push_back({message, caption});
    ScheduleShowing();
}

void NoticeQueue::ScheduleShowing()
{
    if (waiting.empty() || due || ModalDialogs().open > 0)
        return;
    due = true;
    owner->CallAfter([this] { ShowAll(); });
}

void NoticeQueue::ShowAll()
{
    // Another box may have opened since this was scheduled: the device timer
    // tries again once it is closed.
    while (!waiting.empty() && ModalDialogs().open == 0) {
        const Notice notice = waiting.front();
        waiting.erase(waiting.begin());
        ShowNotice(notice.message, notice.caption);
    }
    due = false;
}
