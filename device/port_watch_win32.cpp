// Device notices on Windows: the system sends WM_DEVICECHANGE to every
// top-level window when a port arrives or leaves, and the main window passes
// it on here.
#include "device/port_watch.h"

namespace {
bool changed = false;
}  // namespace

struct PortWatch::Sources { };

PortWatch::PortWatch(SourceSet) : sources(nullptr) { }

PortWatch::~PortWatch() = default;

bool PortWatch::Changed()
{
    const bool was = changed;
    changed = false;
    return was;
}

void PortWatchNoteDeviceChange()
{
    changed = true;
}
