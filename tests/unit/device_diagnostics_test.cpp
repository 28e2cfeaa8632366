// The limit on repeated diagnostic lines, with a fake clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/diagnostics.h"

namespace {

using Lines = std::vector<std::string>;

struct Offered {
    std::string line;
    long long at;
};

// `copies` offers of `line`, evenly over `spanMs` from `startMs`.
std::vector<Offered> Burst(const std::string& line, int copies, long long startMs, long long spanMs)
{
    std::vector<Offered> offers;
    for (int i = 0; i < copies; ++i)
        offers.push_back({line, startMs + spanMs * i / copies});
    return offers;
}

// What is printed for `offers`, then for a flush at `flushAt`.
Lines Printed(const std::vector<Offered>& offers, long long flushAt)
{
    RepeatedLineLimiter limiter;
    Lines printed;
    for (const Offered& offer : offers)
        for (const std::string& line : limiter.Offer(offer.line, offer.at))
            printed.push_back(line);
    for (const std::string& line : limiter.Flush(flushAt))
        printed.push_back(line);
    return printed;
}

Lines Times(const std::string& line, int copies)
{
    return Lines(copies, line);
}

Lines Join(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::string Bad = "Bad Instruction!!!";
const std::string Noise = "Received 1 error bytes between two instructions!";

TEST(RepeatedLineLimiter, TenASecondPassWordForWord)
{
    EXPECT_EQ(Printed(Burst(Bad, 10, 0, 900), 5000), Times(Bad, 10));
    // Ten a second for three seconds: each window holds ten.
    EXPECT_EQ(Printed(Burst(Bad, 30, 0, 3000), 9000), Times(Bad, 30));
}

TEST(RepeatedLineLimiter, AFloodIsCountedOnceASecondUnderItsLine)
{
    // 1000 in a second: ten, then at the window's end the line once more and
    // the count of the rest, which add up to all 1000.
    EXPECT_EQ(Printed(Burst(Bad, 1000, 0, 1000), 1000), Join({Times(Bad, 11), {"(989 more like it)"}}));
    // Nothing is summarised before the window ends.
    EXPECT_EQ(Printed(Burst(Bad, 1000, 0, 1000), 999), Times(Bad, 10));
    // Eleven: the eleventh comes at the window's end, with nothing to count.
    EXPECT_EQ(Printed(Burst(Bad, 11, 0, 500), 1000), Times(Bad, 11));
    // A flood going on: one summary per second, each followed by a new window.
    EXPECT_EQ(Printed(Burst(Bad, 40, 0, 2000), 2000),
              Join({Times(Bad, 11), {"(9 more like it)"}, Times(Bad, 11), {"(9 more like it)"}}));
}

TEST(RepeatedLineLimiter, LinesFloodingTogetherAreCountedApart)
{
    std::vector<Offered> offers;
    for (int i = 0; i < 100; ++i) {
        offers.push_back({Noise, i * 5});
        offers.push_back({Bad, i * 5});
    }
    offers.push_back({"illegal comport number", 600});
    Lines expected;
    for (int i = 0; i < 10; ++i)
        expected.insert(expected.end(), {Noise, Bad});
    expected.push_back("illegal comport number");
    expected.insert(expected.end(), {Noise, "(89 more like it)", Bad, "(89 more like it)"});
    EXPECT_EQ(Printed(offers, 1000), expected);
}

}  // namespace
