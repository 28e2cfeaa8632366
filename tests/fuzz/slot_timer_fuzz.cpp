// The slot timer: any double either is refused or is sent without a 0xFF
// before the frame's end and decodes to within 1 % of itself.
#include <cstring>

#include "fuzz_support.h"

namespace {

// The frequencies that must be sendable on the identity table: the timer's
// range with a margin at both ends.
constexpr double LowestSendableHz = 0.05;
constexpr double HighestSendableHz = 900.0;

DeviceLink& IdentityLink()
{
    // Made in place: the link owns its probe and port watch, and is not copied.
    static DeviceLink* link = [] {
        DeviceLink* made = new DeviceLink;
        made->calibration.count = 2;
        made->calibration.userHz[0] = made->calibration.deviceHz[0] = 1.0;
        made->calibration.userHz[1] = made->calibration.deviceHz[1] = 1000.0;
        return made;
    }();
    return *link;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    double hz = 0.0;
    std::memcpy(&hz, data, size < sizeof hz ? size : sizeof hz);
    const bool sent = CheckSlotTimerEncoding(IdentityLink(), hz, 0.01);
    if (hz >= LowestSendableHz && hz <= HighestSendableHz)
        FUZZ_CHECK(sent);
    return 0;
}
