// The one object through which the program reaches the stick: the stick's
// port number, the probe that finds it, the instructions sent to it and the
// slot-timer encoding.
#ifndef VITREL_DEVICE_DEVICE_LINK_H
#define VITREL_DEVICE_DEVICE_LINK_H

#include "device/frequency_calibration.h"

constexpr int kProbeBufferSize = 512;

struct DeviceLink {
  int port = 0;          // one-based COM port number of the stick; 0 = none
  int baudRate = 9600;
  unsigned char rxBuffer[kProbeBufferSize + 1] = {};  // the probe's chunk and a zero
  FrequencyCalibration calibration;

  // Loads the calibration from the frequency table at `calibrationPath`.
  explicit DeviceLink(const char* calibrationPath = "VitrelFrequencyMeasurement.csv");

  // Asks every present port in turn to identify itself and returns the
  // number of the first that answers Identify within about 10 ms, or 0.
  // Leaves every port closed, the found one included. Changes `port` while it
  // works; the caller stores the result there.
  int ProbePorts();

  // Writes the frame of `code` (see BuildInstructionFrame) to port - 1 in a
  // single write; nothing when `port` is 0 or the code has no frame. Write
  // failures are not reported: returns 0.
  int SendInstruction(signed char code, const unsigned char* first = nullptr,
                      const unsigned char* second = nullptr,
                      const unsigned char* third = nullptr);

  // The SetSlotTimer payload for a slot frequency in Hz, after calibration.
  // Returns false, writing nothing, when the frequency cannot be sent: not a
  // positive finite number before or after calibration, outside the timer's
  // range, or only representable with a 0xFF byte (above about 976 Hz on the
  // device side).
  bool EncodeSlotFrequency(double hz, unsigned char& lo, unsigned char& hi,
                           unsigned char& sel) const;

  // The slot frequency in Hz of a programme read back from the stick. A timer
  // count of 0 (lo and hi both 0xFF) has no frequency and gives 0.0; callers
  // use only results that are positive and finite.
  double DecodeSlotFrequency(unsigned char lo, unsigned char hi, unsigned char sel) const;
};

#endif
