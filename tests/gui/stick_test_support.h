#pragma once
// Window tests with the simulated stick: the frame talks to vitrel-stick-sim
// at COM3, every write call is recorded, and standard output can be captured.

#include <string>
#include <vector>

#include "device_posix_support.h"
#include "gui_test_support.h"

// Everything the program prints on standard output while this lives.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    std::string Text() const;
    int Count(const std::string& line) const;  // whole lines equal to `line`

private:
    int savedStdout = -1;
    std::string path;
};

// One SerialWritePort or SerialWriteByte call.
struct WriteCall {
    int index;
    std::string hex;  // "00 07 57 9E 00 FF"
};

// How long a test waits for the stick to be found: a start-up probe that the
// stick answered too late on a busy machine is repeated at the next liveness
// check, a second later.
constexpr int AttachMilliseconds = 3000;

class StickFrameTest : public FrameTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the simulated stick and points COM3 at it.
    void StartStick(const std::vector<std::string>& options = {});
    // Starts the stick and the window, waits until the stick is shown
    // attached, and forgets the start-up writes.
    void StartAttached(const std::vector<std::string>& options = {});
    // The frames the stick received, in order, as hex text.
    std::vector<std::string> Received() const;
    int CountReceived(const std::string& hex) const;
    // Waits until the stick has received `hex` `times` times in all.
    bool WaitForReceived(const std::string& hex, int times, int milliseconds) const;
    // The write calls made since the frame was built (or since ClearWrites).
    const std::vector<WriteCall>& Writes() const { return writes; }
    void ClearWrites() { writes.clear(); }
    bool Attached() const;

    std::unique_ptr<StickSim> stick;

private:
    static void Tap(int index, const unsigned char* bytes, int count, void* context);
    std::vector<WriteCall> writes;
};
