// Figures for the device protocol: how fast ParseInstruction consumes a
// stream of valid replies, and how closely the slot-timer encoding returns
// the frequency asked for (identity calibration).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "device/device_link.h"
#include "device/instruction.h"

namespace {

// One megabyte of the replies the monitor sees: status, beeper and programme.
std::vector<unsigned char> ReplyStream()
{
    const std::vector<std::vector<unsigned char>> replies = {
        {0x00, 0x0B, 150, 100, 0xFF},
        {0x00, 0x11, 0x01, 0xFF},
        {0x00, 0x12, 0x57, 0x9E, 0x00, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 0xFF},
    };
    std::vector<unsigned char> stream;
    for (std::size_t i = 0; stream.size() < (1u << 20); ++i) {
        const auto& reply = replies[i % replies.size()];
        stream.insert(stream.end(), reply.begin(), reply.end());
    }
    return stream;
}

// The stream in reads of 512 bytes, as the device monitor takes them.
void BM_ParseInstruction(benchmark::State& state)
{
    std::vector<unsigned char> stream = ReplyStream();
    std::vector<unsigned char> chunk(513);
    long instructions = 0;
    ResetInstructionReceiver();
    InstructionReceiver& receiver = TheInstructionReceiver();
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 512) {
            int length = static_cast<int>(std::min<std::size_t>(512, stream.size() - at));
            std::copy(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at) + length,
                      chunk.begin());
            chunk[length] = 0;
            receiver.position = 0;
            while (receiver.position < length)
                if (ParseInstruction(chunk.data(), length))
                    ++instructions;
        }
        benchmark::DoNotOptimize(instructions);
    }
    state.SetBytesProcessed(static_cast<long>(state.iterations() * stream.size()));
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseInstruction)->Unit(benchmark::kMillisecond);

// Encode then decode log-spaced slot frequencies from `low` to `high` Hz and
// report the largest relative error.
void RoundTrip(benchmark::State& state, double low, double high)
{
    DeviceLink link;
    link.calibration.count = 0;
    const int steps = 100000;
    double worst = 0.0, worstHz = 0.0;
    for (auto _ : state) {
        for (int i = 0; i <= steps; ++i) {
            double hz = low * std::pow(high / low, static_cast<double>(i) / steps);
            unsigned char lo, hi, sel;
            if (!link.EncodeSlotFrequency(hz, lo, hi, sel))
                continue;
            double error = std::fabs(link.DecodeSlotFrequency(lo, hi, sel) - hz) / hz;
            if (error > worst) {
                worst = error;
                worstHz = hz;
            }
        }
    }
    state.counters["max_error_%"] = worst * 100.0;
    state.counters["at_Hz"] = worstHz;
}
BENCHMARK_CAPTURE(RoundTrip, lowest_to_30Hz, 0.0298023224, 30.0)->Iterations(1);
BENCHMARK_CAPTURE(RoundTrip, 30_to_250Hz, 30.0, 250.0)->Iterations(1);
BENCHMARK_CAPTURE(RoundTrip, 250_to_300Hz, 250.0, 300.0)->Iterations(1);
BENCHMARK_CAPTURE(RoundTrip, 300_to_976Hz, 300.0, 976.0)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
