#pragma once
// The one object through which the program reaches the stick: the stick's
// port number, the probe that finds it, the instructions sent to it and the
// slot-timer encoding.

#include "device/frequency_calibration.h"
#include "device/port_watch.h"
#include "device/stick_probe.h"

struct DeviceLink {
    int port = 0;  // one-based COM port number of the stick; 0 = none
    int baudRate = 9600;
    FrequencyCalibration calibration;
    StickProbe probe;
    PortWatch portWatch;

    // Loads the calibration from the frequency table at `calibrationPath`.
    explicit DeviceLink(const char* calibrationPath = "VitrelFrequencyMeasurement.csv");

    // One step of the search for the stick (see StickProbe), never waiting:
    // returns the number of the port found, or 0 while none is. Called while
    // `port` is 0, on every timer tick; called with `port` still set, it takes
    // that for the stick's port, closed because the stick fell silent, and
    // probes it again. Leaves the found port closed; the caller stores the
    // result in `port`.
    int ProbePorts();

    // True while the port of a stick that fell silent is being probed again
    // (see StickProbe::RecheckingStick): it may still be there.
    bool RecheckingStick() const;

    // Writes the frame of `code` (see BuildInstructionFrame) to port - 1 in a
    // single write; nothing when `port` is 0 or the code has no frame. Write
    // failures are not reported: returns 0.
    int SendInstruction(signed char code, const unsigned char* first = nullptr,
                        const unsigned char* second = nullptr, const unsigned char* third = nullptr);

    // The SetSlotTimer payload for a slot frequency in Hz, after calibration.
    // Returns false, writing nothing, when the frequency cannot be sent: not a
    // positive finite number before or after calibration, outside the timer's
    // range, or only representable with a 0xFF byte (above about 976 Hz on the
    // device side).
    bool EncodeSlotFrequency(double hz, unsigned char& lo, unsigned char& hi, unsigned char& sel) const;

    // The slot frequency in Hz of a programme read back from the stick. A timer
    // count of 0 (lo and hi both 0xFF) has no frequency and gives 0.0; callers
    // use only results that are positive and finite.
    double DecodeSlotFrequency(unsigned char lo, unsigned char hi, unsigned char sel) const;
};
