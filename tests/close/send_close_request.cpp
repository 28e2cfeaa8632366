// vitrel-send-close: sends the window manager's close request (a
// WM_DELETE_WINDOW client message) to every shown window named NAME, as a
// close box does. Exits 0 when it reached one, 1 when none is shown. With
// --check it only tells whether one is shown.
#include <cstdio>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

bool Named(Display* display, Window window, const char* name)
{
    char* title = nullptr;
    if (XFetchName(display, window, &title) == 0 || title == nullptr)
        return false;
    const bool same = std::strcmp(title, name) == 0;
    XFree(title);
    return same;
}

bool Shown(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

int SendToNamed(Display* display, Window window, const char* name, Atom protocols, Atom deleteWindow,
                bool send)
{
    int sent = 0;
    if (Named(display, window, name) && Shown(display, window)) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        if (send)
            XSendEvent(display, window, False, NoEventMask, &event);
        ++sent;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count; ++i)
            sent += SendToNamed(display, children[i], name, protocols, deleteWindow, send);
        if (children != nullptr)
            XFree(children);
    }
    return sent;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "Usage: vitrel-send-close [--check] NAME\n");
        return 2;
    }
    const char* name = argv[argc - 1];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "vitrel-send-close: no display\n");
        return 2;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    const int sent = SendToNamed(display, DefaultRootWindow(display), name, protocols, deleteWindow, !check);
    XCloseDisplay(display);
    return sent > 0 ? 0 : 1;
}
