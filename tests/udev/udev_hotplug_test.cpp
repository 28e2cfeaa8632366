// Hot-plug carried by udev alone, on umockdev's mocked sysfs and uevent bus
// (run under umockdev-wrapper). A USB serial device is added, which sends its
// "add" event; the port watch, with inotify off, passes the event to the probe, the
// probe opens the device node, and the test answers as the stick on the
// node's emulating end (a pseudo-terminal umockdev puts behind it).
//
// The probe's clock is the test's: it never reaches the once-a-second
// presence check, so a device is found only through its event.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <umockdev.h>
#include <unistd.h>

#include "device/port_watch.h"
#include "device/serial.h"
#include "device/stick_probe.h"

namespace {

struct UsbSerialDevice {
    const char* kind;
    const char* description;  // umockdev's text form of the sysfs tree
    const char* sysfsPath;
    const char* node;
    int expectedPort;
    const char* product;
};

// A USB CDC device, whose tty hangs off the USB interface, and an FTDI
// bridge, whose tty hangs off the bridge's usb-serial port.
const UsbSerialDevice Devices[] = {
    {"CDC ttyACM0",
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
     "A: idVendor=2341\nA: idProduct=8036\nA: product=Vitrel Stick\n\n"
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n"
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/ttyACM0\nN: ttyACM0\nE: SUBSYSTEM=tty\n"
     "E: DEVNAME=/dev/ttyACM0\nA: dev=166:0\nL: device=../../../1-2:1.0\n",
     "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/ttyACM0", "/dev/ttyACM0", 1, "Vitrel Stick"},
    {"FTDI ttyUSB0",
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
     "A: idVendor=0403\nA: idProduct=6001\nA: product=FT232R USB UART\n\n"
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n"
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0\nE: SUBSYSTEM=usb-serial\n\n"
     "P: /devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0\nN: ttyUSB0\nE: "
     "SUBSYSTEM=tty\n"
     "E: DEVNAME=/dev/ttyUSB0\nA: dev=188:0\nL: device=../../../ttyUSB0\n",
     "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0", "/dev/ttyUSB0", 2,
     "FT232R USB UART"},
};

// A serial tty the kernel has no device for: never opened.
const char* const PlainTty =
    "P: /devices/virtual/tty/ttyS0\nN: ttyS0\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/ttyS0\n"
    "A: dev=4:64\n";

// The probe's clock per step: every wait of a test stays short of its second.
constexpr long long StepMs = 2;
const unsigned char IdentifyFrame[] = {0x00, 0x0C, 0xFF};

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The stick's side: answers each Identify that arrives on `stickEnd`.
struct StickPlayer {
    int stickEnd;
    std::string received;
    void Answer()
    {
        unsigned char bytes[64];
        ssize_t n;
        while ((n = read(stickEnd, bytes, sizeof bytes)) > 0)
            received.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
        const std::string identify(reinterpret_cast<const char*>(IdentifyFrame), sizeof IdentifyFrame);
        for (std::size_t at; (at = received.find(identify)) != std::string::npos;) {
            received.erase(0, at + identify.size());
            EXPECT_EQ(write(stickEnd, IdentifyFrame, sizeof IdentifyFrame), 3);
        }
    }
};

class MockedUdev : public ::testing::Test {
protected:
    void SetUp() override
    {
        testbed = umockdev_testbed_new();
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this test under umockdev-wrapper";
        unsetenv("VITREL_SERIAL_PORTS");
        // After the testbed: umockdev catches the monitor's socket as it is made.
        watch = std::make_unique<PortWatch>(PortWatch::SystemEventsOnly);
        probe = std::make_unique<StickProbe>();
    }
    void TearDown() override
    {
        probe.reset();
        watch.reset();
        g_object_unref(testbed);
        unsetenv("VITREL_SERIAL_PORTS");
    }

    void Add(const char* description)
    {
        GError* error = nullptr;
        ASSERT_TRUE(umockdev_testbed_add_from_string(testbed, description, &error))
            << (error != nullptr ? error->message : "");
    }

    // Steps the probe with real pauses while the clock stays short of the
    // presence check; returns the port found, 0 when none within `steps`.
    int StepProbe(int steps, StickPlayer* stick)
    {
        for (int i = 0; i < steps; ++i) {
            nowMs += StepMs;
            const int found = probe->Step(nowMs, watch->Changed());
            if (stick != nullptr)
                stick->Answer();
            if (found != 0)
                return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }

    UMockdevTestbed* testbed = nullptr;
    std::unique_ptr<PortWatch> watch;
    std::unique_ptr<StickProbe> probe;
    long long nowMs = 0;
};

TEST_F(MockedUdev, TheAddEventAloneAttachesTheStickAndTheRemoveEventDetachesIt)
{
    for (const UsbSerialDevice& device : Devices) {
        SCOPED_TRACE(device.kind);
        ASSERT_EQ(StepProbe(1, nullptr), 0);
        // umockdev sends the "add" event as it adds the device.
        const auto sent = std::chrono::steady_clock::now();
        Add(device.description);
        StickPlayer stick {umockdev_testbed_get_dev_fd(testbed, device.node), {}};
        ASSERT_GE(stick.stickEnd, 0) << "umockdev gave no emulating end for " << device.node;
        fcntl(stick.stickEnd, F_SETFL, fcntl(stick.stickEnd, F_GETFL) | O_NONBLOCK);
        // The bound leaves room for a loaded machine; the figure is printed.
        const int found = StepProbe(300, &stick);
        const double attachMs = MillisecondsSince(sent);
        std::printf("%s: attached %.0f ms after its add event\n", device.kind, attachMs);
        RecordProperty(std::string(device.kind).substr(0, 3) + "_attach_ms", static_cast<int>(attachMs));
        ASSERT_EQ(found, device.expectedPort);

        char where[64];
        char product[64];
        SerialDescribePort(found - 1, where, sizeof where, product, sizeof product);
        EXPECT_STREQ(where, device.node);
        EXPECT_STREQ(product, device.product);

        // Unplugged: the stick falls silent, its remove event comes, and its
        // port is no longer asked.
        umockdev_testbed_uevent(testbed, device.sysfsPath, "remove");
        umockdev_testbed_remove_device(testbed, device.sysfsPath);
        bool removalSeen = false;
        for (int i = 0; i < 100 && !(removalSeen = watch->Changed()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(removalSeen);
        probe->StickFellSilent(found, nowMs);
        EXPECT_EQ(StepProbe(20, &stick), 0);
        EXPECT_FALSE(probe->RecheckingStick(nowMs));
        bool mayOpen = false;
        EXPECT_EQ(SerialPortPresence(found - 1, mayOpen), 0u);
    }
}

TEST_F(MockedUdev, ATtyWithoutADeviceIsNeverOpened)
{
    // Even named in the table, as COM1.
    setenv("VITREL_SERIAL_PORTS", "/dev/ttyS0", 1);
    ASSERT_EQ(StepProbe(1, nullptr), 0);
    Add(PlainTty);
    const int ttyEnd = umockdev_testbed_get_dev_fd(testbed, "/dev/ttyS0");
    ASSERT_GE(ttyEnd, 0);
    fcntl(ttyEnd, F_SETFL, fcntl(ttyEnd, F_GETFL) | O_NONBLOCK);
    EXPECT_EQ(StepProbe(100, nullptr), 0);
    unsigned char bytes[16];
    EXPECT_LE(read(ttyEnd, bytes, sizeof bytes), 0) << "the probe wrote to ttyS0";
    bool mayOpen = false;
    EXPECT_EQ(SerialPortPresence(0, mayOpen), 0u);
}

}  // namespace
