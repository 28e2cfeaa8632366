// Device notices on Linux, from two sources, both read without waiting:
// - udev's monitor of the "tty" subsystem (SystemEventsOnly keeps to it);
// - inotify on the folders that hold the port paths (/dev, or the folders of
//   VITREL_SERIAL_PORTS), which also sees what udev does not: containers
//   without udev, and links made to pseudo-terminals.
// Where neither works, the probe's once-a-second presence check still finds
// every device.
#include "device/port_watch.h"

#include <cstdlib>
#include <set>
#include <string>

#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

struct PortWatch::Sources {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    int inotify = -1;
    std::set<std::string> folders;  // the folders watched now
};

namespace {

constexpr unsigned FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB;

// The folders of the paths of COM1 .. COM9 as the serial layer maps them now.
std::set<std::string> PortFolders()
{
    std::set<std::string> folders;
    const char* ports = std::getenv("VITREL_SERIAL_PORTS");
    if (ports == nullptr) {
        folders.insert("/dev");
        return folders;
    }
    std::string table = ports;
    std::size_t start = 0;
    for (int number = 1; number <= 9 && start <= table.size(); ++number) {
        std::size_t end = table.find(':', start);
        std::string path = table.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::size_t slash = path.rfind('/');
        if (!path.empty())
            folders.insert(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return folders;
}

bool Drain(int fd)
{
    bool any = false;
    alignas(inotify_event) char events[4096];
    while (read(fd, events, sizeof events) > 0)
        any = true;
    return any;
}

// Watches the folders of the current port paths; the table may change while
// the program runs. True when it did: the ports may be other devices now.
bool FollowFolders(PortWatch::Sources& sources)
{
    std::set<std::string> folders = PortFolders();
    if (folders == sources.folders)
        return false;
    // inotify_add_watch on a folder already watched only updates its mask;
    // stale folders cost nothing but a refresh now and then.
    for (const std::string& folder : folders)
        inotify_add_watch(sources.inotify, folder.c_str(), FolderEvents);
    sources.folders = folders;
    return true;
}
}  // namespace

PortWatch::PortWatch(SourceSet used) : sources(new Sources)
{
    // Where no udev runs the monitor stays silent, at the cost of one socket.
    sources->context = udev_new();
    if (sources->context != nullptr)
        sources->monitor = udev_monitor_new_from_netlink(sources->context, "udev");
    if (sources->monitor != nullptr
        && (udev_monitor_filter_add_match_subsystem_devtype(sources->monitor, "tty", nullptr) < 0
            || udev_monitor_enable_receiving(sources->monitor) < 0)) {
        udev_monitor_unref(sources->monitor);
        sources->monitor = nullptr;
    }
    if (used == SystemEventsOnly)
        return;
    sources->inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (sources->inotify >= 0)
        FollowFolders(*sources);
}

PortWatch::~PortWatch()
{
    if (sources->monitor != nullptr)
        udev_monitor_unref(sources->monitor);
    if (sources->context != nullptr)
        udev_unref(sources->context);
    if (sources->inotify >= 0)
        close(sources->inotify);
    delete sources;
}

bool PortWatch::Changed()
{
    bool changed = false;
    if (sources->monitor != nullptr) {
        pollfd ready = {udev_monitor_get_fd(sources->monitor), POLLIN, 0};
        while (poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN)) {
            udev_device* device = udev_monitor_receive_device(sources->monitor);
            if (device == nullptr)
                break;
            udev_device_unref(device);
            changed = true;
        }
    }
    if (sources->inotify >= 0) {
        changed = Drain(sources->inotify) || changed;
        changed = FollowFolders(*sources) || changed;
    }
    return changed;
}
