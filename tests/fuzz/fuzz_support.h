#pragma once
// Shared by the fuzz targets: a property check that stops the run with a
// crash file, a scratch folder for the readers that take a path, and the
// slot-timer check that the timer and frequency-table targets both make.

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "device/device_link.h"
#include "device/instruction.h"

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property failed: %s at %s:%d\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// A folder of this process's own, in memory when /dev/shm exists (the saves
// sync every file). Removed by nobody: one per fuzzing process, a few files.
inline const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/vitrel-fuzz-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            std::abort();
        return pattern;
    }();
    return folder;
}

inline std::string ScratchPath(const char* name)
{
    return ScratchFolder() + "/" + name;
}

// Writes `size` bytes to `path`, replacing it.
inline void WriteBytes(const std::string& path, const unsigned char* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

// Encodes `hz` for the slot timer. When the link accepts it, the frame it
// gives carries 0xFF only as its end byte. When `tolerance` is above zero,
// the value decoded from that frame must be positive, finite and within that
// fraction of `hz`. Returns whether `hz` was accepted.
inline bool CheckSlotTimerEncoding(const DeviceLink& link, double hz, double tolerance)
{
    unsigned char lo = 0, hi = 0, sel = 0;
    if (!link.EncodeSlotFrequency(hz, lo, hi, sel))
        return false;
    FUZZ_CHECK(hz > 0.0 && std::isfinite(hz));
    unsigned char frame[MaxInstructionFrameBytes];
    const int length = BuildInstructionFrame(SetSlotTimer, &lo, &hi, &sel, frame);
    FUZZ_CHECK(length == 6);
    for (int i = 0; i < length - 1; ++i)
        FUZZ_CHECK(frame[i] != 0xFF);
    FUZZ_CHECK(frame[length - 1] == 0xFF);
    const double decoded = link.DecodeSlotFrequency(lo, hi, sel);
    if (tolerance > 0.0) {
        FUZZ_CHECK(decoded > 0.0 && std::isfinite(decoded));
        FUZZ_CHECK(std::fabs(decoded - hz) <= tolerance * hz);
    }
    return true;
}
