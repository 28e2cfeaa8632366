#pragma once
// One copy of the program per user folder: the folder that holds the files
// the program writes (the working folder when it runs portable, the user's
// data folder when installed). Two copies on one folder would each show a
// diary and a pattern that the other one changes behind its back; a second
// start for the same folder shows the running copy's window instead.

#include <functional>
#include <memory>

#include <wx/string.h>

class wxSingleInstanceChecker;
class wxObject;

// The name that stands for `folder` in the system-wide lock and message
// channel: the same for every spelling of one folder (relative or absolute,
// through links, on Windows in any letter case), different for two folders
// and, on Linux, for two users.
wxString UserFolderInstanceName(const wxString& folder);

class UserFolderInstance {
public:
    UserFolderInstance();
    ~UserFolderInstance();

    // Claims `folder` for this process. When another copy already holds it,
    // that copy is asked to bring its window to the front and false is
    // returned. showWindow is what this copy does when a later start asks it.
    // A lock that cannot be made at all does not stop the program: it runs
    // without the check.
    bool Claim(const wxString& folder, const std::function<void()>& showWindow);
    // After a refused claim: whether the running copy was reached.
    bool RunningCopyShown() const { return runningCopyShown; }

private:
    std::unique_ptr<wxSingleInstanceChecker> checker;
    bool runningCopyShown = false;
    std::unique_ptr<wxObject> server;  // the channel later starts reach this copy by
};
