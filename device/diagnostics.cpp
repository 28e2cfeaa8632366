#include "device/diagnostics.h"
#include "device/steady_clock.h"

#include <cstdio>

namespace {

void Print(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        std::puts(line.c_str());
}

// The summaries still due when the program ends are printed then.
struct ProcessLimiter {
    RepeatedLineLimiter limiter;
    ~ProcessLimiter()
    {
        Print(limiter.Flush(SteadyMilliseconds() + RepeatedLineLimiter::WindowMilliseconds));
    }
};

RepeatedLineLimiter& TheLimiter()
{
    static ProcessLimiter process;
    return process.limiter;
}

}  // namespace

std::vector<std::string> RepeatedLineLimiter::Offer(const std::string& line, long long nowMs)
{
    std::vector<std::string> out = Flush(nowMs);
    for (Window& window : windows) {
        if (window.line != line)
            continue;
        if (window.printed < LinesPerWindow) {
            ++window.printed;
            out.push_back(line);
        } else {
            ++window.heldBack;
        }
        return out;
    }
    if (windows.size() < LinesFollowed)
        windows.push_back({line, nowMs, 1, 0});
    out.push_back(line);
    return out;
}

std::vector<std::string> RepeatedLineLimiter::Flush(long long nowMs)
{
    std::vector<std::string> out;
    auto window = windows.begin();
    while (window != windows.end()) {
        if (nowMs - window->start < WindowMilliseconds) {
            ++window;
            continue;
        }
        if (window->heldBack > 0)
            out.push_back(window->line);
        if (window->heldBack > 1)
            out.push_back("(" + std::to_string(window->heldBack - 1) + " more like it)");
        window = windows.erase(window);
    }
    return out;
}

void DiagnosticLine(const char* line)
{
    Print(TheLimiter().Offer(line, SteadyMilliseconds()));
}

void FlushDiagnosticLines()
{
    Print(TheLimiter().Flush(SteadyMilliseconds()));
}
