#pragma once
// The search for the stick among the serial ports, one step per timer tick,
// never waiting: Identify goes out to each port that may be the stick, and
// the answers are read on the following ticks.
//
// Other serial devices are left alone as far as finding the stick allows.
// Telling that a port is present does not open it. A port that was probed
// and did not answer is opened again only while it is new (a stick still
// starting up), and again when it disappears and a device comes back on its
// number. Only the stick's own port, once it has fallen silent, is probed
// once a second.

constexpr int ProbeBufferSize = 512;

class StickProbe {
public:
    // How long after its Identify a port's answer is still taken. A stick
    // answers within a few milliseconds, but what reaches the program is later:
    // the Identify frame and its answer need 6.3 ms on the wire at 9600 baud,
    // a USB-to-serial bridge holds received bytes for its latency timer (16 ms
    // by default), a loaded machine delays both ends, and the answer is read
    // only on the tick after it came. 500 ms takes an answer sent 200 ms late
    // even when a tick comes 100 ms late, and still ends a silent port's turn
    // well within the liveness check's second.
    static constexpr long long AnswerDeadlineMs = 500;
    // A port is looked at again this often without a device notice, and a
    // port that could not be opened is tried again after this long.
    static constexpr long long RetryMs = 1000;
    // A new port that did not answer is probed again this long after its
    // first probe, within its first 10 s present, and then never while it
    // stays present. A stick plugged in may
    // need a moment before its firmware answers; the gaps double so that a
    // board that resets on every open is reset at most 3 more times, each
    // time given longer to come up again, all within its first 10 s.
    static constexpr long long NewPortReprobeMs[3] = {1000, 3000, 7000};
    // Ports opened for a probe in one step, lowest number first; the others
    // due wait for the next steps. Opening a serial port takes several
    // system calls and wakes the device's driver, and its probe ends with a
    // close at its deadline: nine ports due at once (devices present at
    // start, a hub plugged in) would otherwise all be opened, and later
    // closed, in one tick of the window's thread.
    static constexpr int OpensPerStep = 1;

    StickProbe();
    ~StickProbe();
    StickProbe(const StickProbe&) = delete;
    StickProbe& operator=(const StickProbe&) = delete;

    // One step at `nowMs` (a monotonic clock): looks at which ports are present
    // when `devicesChanged` or once a second, sends Identify to the ports due
    // for a probe, and reads what the ports probed earlier answered. Returns
    // the number (1 to 9) of the first port in ascending order whose answer
    // holds an Identify instruction, once no lower port can still answer;
    // else 0. Leaves every port closed when it returns a number, that one
    // included.
    int Step(long long nowMs, bool devicesChanged);

    // The stick on port `number` stopped answering and its port was closed:
    // that port is probed now, and then once a second while it stays present.
    void StickFellSilent(int number, long long nowMs);

    // How long a stick that fell silent may still be shown attached while its
    // port is asked again: a stick that is there answers Identify by the tick
    // after next. Longer would put off showing a stick that is gone: the
    // liveness check already takes up to 1.5 s to find it silent.
    static constexpr long long RecheckShownMs = 250;

    // True from StickFellSilent, for at most RecheckShownMs, until the first
    // probe of that port is over (or cannot be made): the stick may still be
    // there.
    bool RecheckingStick(long long nowMs) const;

    // Closes every port a probe holds open.
    void Stop();

private:
    struct Port;
    void RefreshPresence(long long nowMs);
    void StartProbes(long long nowMs);
    void Collect(int number);
    void EndProbe(int number, long long nowMs);

    Port* ports;  // COM1 .. COM9 at [0] .. [8]
    long long lastPresenceMs = 0;
    bool presenceKnown = false;
    int recheckedPort = 0;  // see RecheckingStick; 0 = none
    long long recheckSinceMs = 0;
};
