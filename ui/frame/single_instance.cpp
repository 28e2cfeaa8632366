#include "ui/frame/single_instance.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/object.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#ifdef __WINDOWS__
#include <windows.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif

namespace {

const char* const ShowTopic = "show";

// Where the lock and the socket live on Linux: the user's runtime folder
// (private to the user, emptied at log-out), else the home folder.
wxString ChannelFolder()
{
#ifdef __WINDOWS__
    return wxString();
#else
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && wxDirExists(wxString(runtime, *wxConvFileName)))
        return wxString(runtime, *wxConvFileName);
    return wxGetHomeDir();
#endif
}

// The name of the message channel: a named DDE service on Windows, the
// path of a local socket elsewhere.
wxString ChannelName(const wxString& name)
{
#ifdef __WINDOWS__
    return name;
#else
    return ChannelFolder() + "/" + name + ".socket";
#endif
}

#if wxUSE_IPC
// Answers a later start's request by showing this copy's window.
class ShowConnection : public wxConnection {
public:
    explicit ShowConnection(const std::function<void()>& showWindow) : showWindow(showWindow) { }
    bool OnExec(const wxString&, const wxString&) override
    {
        showWindow();
        return true;
    }

private:
    std::function<void()> showWindow;
};

class ShowServer : public wxServer {
public:
    explicit ShowServer(const std::function<void()>& showWindow) : showWindow(showWindow) { }
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override
    {
        return topic == ShowTopic ? new ShowConnection(showWindow) : nullptr;
    }

private:
    std::function<void()> showWindow;
};

// Asks the copy that holds the channel to show its window. It may have taken
// the lock a moment ago and not yet opened its channel: a few tries. False
// when it could not be reached.
bool AskRunningCopyToShow(const wxString& channel)
{
#ifdef __WINDOWS__
    // Only the process the user just started may bring a window forward:
    // it passes that right on.
    AllowSetForegroundWindow(ASFW_ANY);
#endif
    wxClient client;
    for (int attempt = 0; attempt < 30; ++attempt) {
        wxLogNull quiet;
        std::unique_ptr<wxConnectionBase> connection(client.MakeConnection("localhost", channel, ShowTopic));
        if (connection) {
            const bool shown = connection->Execute(ShowTopic);
            connection->Disconnect();
            return shown;
        }
        wxMilliSleep(100);
    }
    return false;
}
#else
// Without a message channel the running copy cannot be reached; this start
// still ends.
bool AskRunningCopyToShow(const wxString&)
{
    return false;
}
#endif

}  // namespace

wxString UserFolderInstanceName(const wxString& folder)
{
    wxFileName absolute = wxFileName::DirName(folder);
    absolute.MakeAbsolute();
    wxString path = absolute.GetPath();
#ifdef __WINDOWS__
    const std::filesystem::path native(path.ToStdWstring());
#else
    const std::filesystem::path native(std::string(path.fn_str()));
#endif
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(native, error);
    if (!error)
        path = wxString(canonical.native().c_str(), *wxConvFileName);
#ifdef __WINDOWS__
    path.MakeLower();
#endif
    while (path.length() > 1 && wxFileName::IsPathSeparator(path.Last()))
        path.RemoveLast();
    // FNV-1a over the folder's text: a short name that the lock file, the
    // socket path and a Windows object name can all carry.
    std::uint64_t hash = 14695981039346656037u;
    const wxScopedCharBuffer text = path.utf8_str();
    for (size_t i = 0; i < text.length(); ++i) {
        hash ^= static_cast<unsigned char>(text.data()[i]);
        hash *= 1099511628211u;
    }
#ifndef __WINDOWS__
    // Named objects live in one namespace per session on Windows; a Linux
    // runtime folder may be shared, so the user is part of the name.
    for (unsigned shift = 0; shift < 32; shift += 8) {
        hash ^= (static_cast<std::uint64_t>(getuid()) >> shift) & 0xFF;
        hash *= 1099511628211u;
    }
#endif
    return wxString::Format(".vitrel-%016llx", static_cast<unsigned long long>(hash));
}

UserFolderInstance::UserFolderInstance() = default;
UserFolderInstance::~UserFolderInstance() = default;

bool UserFolderInstance::Claim(const wxString& folder, const std::function<void()>& showWindow)
{
    const wxString name = UserFolderInstanceName(folder);
    checker = std::make_unique<wxSingleInstanceChecker>();
    {
        wxLogNull quiet;
        if (!checker->Create(name + ".lock", ChannelFolder())) {
            checker.reset();
            return true;
        }
    }
    if (checker->IsAnotherRunning()) {
        runningCopyShown = AskRunningCopyToShow(ChannelName(name));
        return false;
    }
#if wxUSE_IPC
    auto channel = std::make_unique<ShowServer>(showWindow);
    wxLogNull quiet;
    if (channel->Create(ChannelName(name)))
        server = std::move(channel);
#else
    (void)showWindow;
#endif
    return true;
}
