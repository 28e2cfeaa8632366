#pragma once
// The device link's diagnostic lines on standard output, and the limit that
// keeps one line repeated many times a second (a noisy or stalled stick) from
// filling the desktop's log.

#include <cstddef>
#include <string>
#include <vector>

// Decides which of the lines offered to it are printed. Of one line (the same
// text) at most LinesPerWindow are printed in the window of
// WindowMilliseconds that its first copy opens; the copies beyond that are
// held back. When the window ends, the line is printed once more for them,
// followed by "(N more like it)" for the other N held back, so that a summary
// always stands right under the line it counts. Plain logic: the caller
// passes the clock and prints the result.
class RepeatedLineLimiter {
public:
    static constexpr int LinesPerWindow = 10;
    static constexpr long long WindowMilliseconds = 1000;
    // Lines followed at the same time; a further distinct line is printed
    // without being counted.
    static constexpr std::size_t LinesFollowed = 64;

    // The lines to print now for `line` offered at `nowMs`: the summaries of
    // the windows that have ended, then `line` unless it is held back.
    std::vector<std::string> Offer(const std::string& line, long long nowMs);

    // The summaries of the windows that have ended by `nowMs`.
    std::vector<std::string> Flush(long long nowMs);

private:
    struct Window {
        std::string line;
        long long start;
        int printed;
        int heldBack;
    };
    std::vector<Window> windows;  // in the order they were opened
};

// Prints `line` on standard output through the process-wide limiter.
void DiagnosticLine(const char* line);

// Prints the summaries that are due. The device timer calls it on every tick,
// so that a summary follows within a tick also when the flood has stopped.
void FlushDiagnosticLines();
