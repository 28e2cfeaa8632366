// Hot-plug carried by udev alone, on umockdev's mocked sysfs and uevent bus
// (run under umockdev-wrapper). Adding a device sends its "add" event; the
// port watch, inotify off, passes it to the probe, which opens the node, and
// the test answers Identify on the node's emulating end (a pseudo-terminal).
// The probe's clock never reaches its once-a-second presence check, so only
// the event can bring a device to its notice.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <umockdev.h>
#include <unistd.h>

#include "device/port_watch.h"
#include "device/serial.h"
#include "device/stick_probe.h"

namespace {

// A tty with a USB device, its interface and (for a bridge) a usb-serial
// port above it; `ttyPath` is set to the tty's path in sysfs.
std::string UsbTty(const std::string& usb, const char* ids, const std::string& tty, bool bridge,
                   std::string& ttyPath)
{
    const std::string interface = usb + "/" + usb.substr(usb.rfind('/') + 1) + ":1.0";
    const std::string parent = bridge ? interface + "/" + tty : interface;
    ttyPath = "/sys" + parent + "/tty/" + tty;
    return "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" + ids
           + "\n\nP: " + interface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n"
           + (bridge ? "P: " + parent + "\nE: SUBSYSTEM=usb-serial\n\n" : "") + "P: " + parent + "/tty/" + tty
           + "\nN: " + tty + "\nE: DEVNAME=/dev/" + tty
           + "\nE: SUBSYSTEM=tty\nA: dev=" + (bridge ? "188:0" : "166:0") + "\nL: device=../../../"
           + parent.substr(parent.rfind('/') + 1) + "\n";
}

class MockedUdev : public ::testing::Test {
protected:
    void SetUp() override
    {
        testbed = umockdev_testbed_new();
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this test under umockdev-wrapper";
        unsetenv("VITREL_SERIAL_PORTS");
        // After the testbed: umockdev catches the monitor's socket as it is made.
        watch = std::make_unique<PortWatch>(PortWatch::SystemEventsOnly);
    }
    void TearDown() override
    {
        probe.reset();
        watch.reset();
        g_object_unref(testbed);
    }

    // Adds the devices and returns the emulating end of `node`.
    int Add(const std::string& devices, const char* node)
    {
        EXPECT_TRUE(umockdev_testbed_add_from_string(testbed, devices.c_str(), nullptr));
        const int end = umockdev_testbed_get_dev_fd(testbed, node);
        fcntl(end, F_SETFL, O_NONBLOCK);
        return end;
    }

    // Steps the probe 2 ms of its clock at a time, answering each Identify
    // on `stickEnd` (when not -1); the port found, or 0.
    int Step(int steps, int stickEnd)
    {
        for (int found = 0; steps-- > 0; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            if ((found = probe->Step(nowMs += 2, watch->Changed())) != 0)
                return found;
            unsigned char bytes[16];
            for (ssize_t n; stickEnd >= 0 && (n = read(stickEnd, bytes, sizeof bytes)) > 0;)
                if (n >= 3 && bytes[n - 2] == 0x0C) {  // 00 0C FF arrives whole
                    EXPECT_EQ(write(stickEnd, bytes + n - 3, 3), 3);
                }
        }
        return 0;
    }

    UMockdevTestbed* testbed = nullptr;
    std::unique_ptr<PortWatch> watch;
    std::unique_ptr<StickProbe> probe = std::make_unique<StickProbe>();
    long long nowMs = 0;
};

TEST_F(MockedUdev, TheAddEventAloneAttachesTheStickAndTheRemoveEventDetachesIt)
{
    const struct {
        const char* tty;
        bool bridge;
        const char* ids;
        int port;
    } devices[] = {
        {"ttyACM0", false, "A: idVendor=2341\nA: idProduct=8036\nA: product=Vitrel Stick", 1},
        {"ttyUSB0", true, "A: idVendor=0403\nA: idProduct=6001\nA: product=FT232R USB UART", 2},
    };
    for (const auto& device : devices) {
        SCOPED_TRACE(device.tty);
        const std::string usb = "/devices/pci0000:00/usb1/1-" + std::to_string(device.port);
        const std::string node = std::string("/dev/") + device.tty;
        std::string ttyPath;
        ASSERT_EQ(Step(1, -1), 0);
        const auto added = std::chrono::steady_clock::now();
        const int stickEnd = Add(UsbTty(usb, device.ids, device.tty, device.bridge, ttyPath), node.c_str());
        const int found = Step(300, stickEnd);
        const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - added);
        std::printf("%s: attached %.0f ms after its add event\n", device.tty, took.count());
        ASSERT_EQ(found, device.port);
        char where[64], product[64];
        SerialDescribePort(found - 1, where, sizeof where, product, sizeof product);
        EXPECT_EQ(where, node);
        EXPECT_STREQ(product, std::strstr(device.ids, "product=") + 8);

        umockdev_testbed_uevent(testbed, ttyPath.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, ttyPath.c_str());
        bool removalSeen = false;
        for (int i = 0; i < 100 && !(removalSeen = watch->Changed()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(removalSeen);
        probe->StickFellSilent(found, nowMs);
        EXPECT_EQ(Step(20, stickEnd), 0);
        EXPECT_FALSE(probe->RecheckingStick(nowMs));
    }
}

// A tty the kernel has no device for, even named in the table.
TEST_F(MockedUdev, ATtyWithoutADeviceIsNeverOpened)
{
    setenv("VITREL_SERIAL_PORTS", "/dev/ttyS0", 1);
    ASSERT_EQ(Step(1, -1), 0);
    const int ttyEnd = Add("P: /devices/virtual/tty/ttyS0\nN: ttyS0\nE: SUBSYSTEM=tty\n", "/dev/ttyS0");
    EXPECT_EQ(Step(100, -1), 0);
    unsigned char bytes[16];
    EXPECT_LE(read(ttyEnd, bytes, sizeof bytes), 0) << "the probe wrote to ttyS0";
}

}  // namespace
