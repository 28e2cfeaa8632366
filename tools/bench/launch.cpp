// vitrel-bench-launch: starts a window program and measures it from the
// outside, as scripts/bench needs it.
//
// Usage: vitrel-bench-launch TITLE IDLE_SECONDS COMMAND [ARGS...]
//
// Prints one line "mapped_s rss_kb cpu_percent": the seconds from the fork to
// the X server's MapNotify of a top-level window named TITLE, the resident
// set 3 s after that, and the CPU time the process's threads used over
// the following IDLE_SECONDS as a percentage of one core. The program is then
// stopped with SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

double Now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool HasTitle(Display* display, Window window, const char* title)
{
    XTextProperty property;
    if (!XGetWMName(display, window, &property) || property.value == nullptr)
        return false;
    const bool same = std::strcmp(reinterpret_cast<const char*>(property.value), title) == 0;
    XFree(property.value);
    return same;
}

long ResidentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Time the process's threads have spent on a CPU, in seconds, from the
// scheduler's nanosecond counters (the clock ticks of /proc/PID/stat are
// 10 ms apiece, too coarse for an idle window).
double CpuSeconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr)
        return -1.0;
    unsigned long long nanoseconds = 0;
    while (const dirent* task = readdir(folder)) {
        if (task->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + task->d_name + "/schedstat");
        unsigned long long running = 0;
        if (stat >> running)
            nanoseconds += running;
    }
    closedir(folder);
    return static_cast<double>(nanoseconds) / 1e9;
}

void SleepSeconds(double seconds)
{
    timespec span = {static_cast<time_t>(seconds),
                     static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
    while (nanosleep(&span, &span) != 0) { }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: vitrel-bench-launch TITLE IDLE_SECONDS COMMAND [ARGS...]\n");
        return 2;
    }
    const char* title = argv[1];
    const double idleSeconds = std::atof(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "vitrel-bench-launch: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = Now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        // Only the figures go to standard output.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp(argv[3], argv + 3);
        _exit(127);
    }

    double mapped = -1.0;
    while (mapped < 0.0) {
        if (XPending(display) == 0) {
            pollfd x = {ConnectionNumber(display), POLLIN, 0};
            int status = 0;
            if (Now() - start > 60.0 || waitpid(child, &status, WNOHANG) == child) {
                std::fprintf(stderr, "vitrel-bench-launch: no window \"%s\" was mapped\n", title);
                kill(child, SIGTERM);
                return 1;
            }
            poll(&x, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        // Top-level windows are created without a title and named before
        // they are mapped; without a window manager they map directly.
        if (event.type == MapNotify && !event.xmap.override_redirect
            && HasTitle(display, event.xmap.window, title))
            mapped = Now() - start;
    }

    SleepSeconds(3.0);
    const long rss = ResidentKilobytes(child);
    const double cpuBefore = CpuSeconds(child);
    const double idleStart = Now();
    SleepSeconds(idleSeconds);
    const double cpu = (CpuSeconds(child) - cpuBefore) / (Now() - idleStart) * 100.0;

    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    XCloseDisplay(display);
    std::printf("%.4f %ld %.3f\n", mapped, rss, cpu);
    return 0;
}
