#pragma once
// Notices of serial devices coming and going, so that a plugged-in stick is
// probed on the next tick rather than at the next once-a-second presence
// check. One source file per operating system (port_watch_posix.cpp,
// port_watch_win32.cpp).

class PortWatch {
public:
    // Which of the platform's sources of notices are used. Only Linux has more
    // than one: udev's monitor and inotify on the port folders. The tests of
    // one source switch the other off.
    enum SourceSet { AllSources, SystemEventsOnly };
    explicit PortWatch(SourceSet used = AllSources);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // True when a serial device may have come or gone since the last call.
    // Never waits.
    bool Changed();

    struct Sources;  // the platform's sources of notices

private:
    Sources* sources;
};

// Windows only: the main window calls this when the system announces a device
// arriving or leaving (WM_DEVICECHANGE). The next Changed() is true.
void PortWatchNoteDeviceChange();
