// The serial layer on POSIX systems (Linux).
//
// COM1 to COM16 are the USB serial devices a stick can appear as, named by
// the kernel: odd numbers the USB CDC devices (COM1 = /dev/ttyACM0, COM3 =
// /dev/ttyACM1, ...), even numbers those behind a USB-serial bridge such as
// FTDI, CP210x, CH340 or PL2303 (COM2 = /dev/ttyUSB0, COM4 = /dev/ttyUSB1,
// ...). The kernel keeps a device's name while it stays plugged in, so it
// keeps its number; and the first few of either kind are among COM1 to COM9,
// the ports searched for the stick.
//
// The environment variable VITREL_SERIAL_PORTS, when set, replaces that
// table: a colon-separated list of device paths, the first being COM1; an
// empty entry leaves that number without a device. It is read at every open
// and every presence check, so it can change while the program runs.
#include "device/serial.h"
#include "device/serial_internal.h"

#include <string>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <libudev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "device/diagnostics.h"

namespace {

int SystemControl(int fd, unsigned long request, void* argument)
{
    return ioctl(fd, request, argument);
}

const SerialCloseCalls SystemCloseCalls = {SystemControl, tcflush, close};
const SerialCloseCalls* closeCalls = &SystemCloseCalls;

// The kernel's last close of a tty waits for the output the device has not
// taken: up to half a minute for a USB tty whose stick stopped reading. What
// still waits in the tty is discarded; what the driver already holds is not,
// and then the close runs off the caller's thread. The driver's closing wait
// is left as it is: a change would stay with the device after the program.
int ClosePortDescriptor(int index, int fd)
{
    const SerialCloseCalls calls = *closeCalls;
    calls.flush(fd, TCOFLUSH);
    // Every tty answers this; one that was hung up (unplugged) answers EIO,
    // and its close does not wait.
    int held = 0;
    const bool mayWait = calls.control(fd, TIOCOUTQ, &held) == 0 && held > 0;
    // Give up exclusivity first: the tty outlives this descriptor when another
    // process (such as the simulated stick) keeps it open.
    auto release = [calls, fd] {
        calls.control(fd, TIOCNXCL, nullptr);
        return calls.close(fd) == 0 ? 1 : 0;
    };
    if (!mayWait)
        return release();
    SerialCloseOffThread(index, release);
    return 1;
}

// SerialPortTable: the descriptor of the last open of each index, -1 when
// none. A close clears its slot: POSIX hands the same descriptor number to
// the next file opened, so a stale number would reach some other file.
struct PortTable {
    int fd[SerialPortCount];
    PortTable()
    {
        for (int& slot : fd)
            slot = -1;
    }
    // The ports are left open at exit, for the system to close, which would
    // wait for a stalled stick's output (see ClosePortDescriptor): it is
    // discarded first.
    ~PortTable()
    {
        for (int slot : fd)
            if (slot >= 0)
                closeCalls->flush(slot, TCOFLUSH);
    }
};
PortTable table;

// See SerialDeniedDevice.
char deniedDevice[PATH_MAX];

bool DevicePath(int index, char* path, std::size_t size)
{
    const char* ports = std::getenv("VITREL_SERIAL_PORTS");
    if (ports == nullptr) {
        const int written =
            std::snprintf(path, size, index % 2 == 0 ? "/dev/ttyACM%d" : "/dev/ttyUSB%d", index / 2);
        return written > 0 && static_cast<std::size_t>(written) < size;
    }
    const char* entry = ports;
    for (int i = 0; i < index; ++i) {
        entry = std::strchr(entry, ':');
        if (entry == nullptr)
            return false;
        ++entry;
    }
    std::size_t length = std::strcspn(entry, ":");
    if (length == 0 || length >= size)
        return false;
    std::memcpy(path, entry, length);
    path[length] = '\0';
    return true;
}

// The kernel's name of the tty at `path`: the last part of the path, or of
// what a link leads to (VITREL_SERIAL_PORTS often names links).
bool TtyName(const char* path, std::string& name)
{
    struct stat link;
    const char* target = path;
    char real[PATH_MAX];
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
        if (realpath(path, real) == nullptr)
            return false;
        target = real;
    }
    const char* slash = std::strrchr(target, '/');
    name = slash != nullptr ? slash + 1 : target;
    return !name.empty();
}

// flock keeps a second opener out even when it runs as root, which TIOCEXCL
// alone does not.
int OpenExclusive(const char* path)
{
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            std::snprintf(deniedDevice, sizeof deniedDevice, "%s", path);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Another holder's port: its output is not this program's to discard.
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// The failure of the last open of each index, "" after one that succeeded:
// a port that stays busy or missing is reported once, not at every probe.
std::string openFailure[SerialPortCount];

void ReportOpenFailure(int index, const char* path, int error)
{
    const std::string failure = std::string(path) + ':' + std::to_string(error);
    if (openFailure[index] == failure)
        return;
    openFailure[index] = failure;
    DiagnosticLine("unable to open comport");
}

int FailOpen(int index, const char* message)
{
    DiagnosticLine(message);
    ClosePortDescriptor(index, table.fd[index]);
    table.fd[index] = -1;
    return 1;
}

// 128000 and 256000 baud have no termios constant on Linux.
bool SpeedConstant(int baud, speed_t& speed)
{
    switch (baud) {
        case 110:
            speed = B110;
            return true;
        case 300:
            speed = B300;
            return true;
        case 600:
            speed = B600;
            return true;
        case 1200:
            speed = B1200;
            return true;
        case 2400:
            speed = B2400;
            return true;
        case 4800:
            speed = B4800;
            return true;
        case 9600:
            speed = B9600;
            return true;
        case 19200:
            speed = B19200;
            return true;
        case 38400:
            speed = B38400;
            return true;
        case 57600:
            speed = B57600;
            return true;
        case 115200:
            speed = B115200;
            return true;
#ifdef B500000
        case 500000:
            speed = B500000;
            return true;
#endif
#ifdef B1000000
        case 1000000:
            speed = B1000000;
            return true;
#endif
        default:
            return false;
    }
}

// A pseudo-terminal has no modem lines and answers ENOTTY (some drivers
// EINVAL): that is not a failure.
bool RaiseDtrAndRts(int fd)
{
    int lines = TIOCM_DTR | TIOCM_RTS;
    return ioctl(fd, TIOCMBIS, &lines) == 0 || errno == ENOTTY || errno == EINVAL;
}

int ModemLine(int index, int line)
{
    if (!SerialIndexInTable(index))
        return 0;
    int status = 0;
    if (ioctl(table.fd[index], TIOCMGET, &status) != 0)
        return 0;
    return (status & line) ? 1 : 0;
}

int ChangeModemLine(int index, unsigned long request, int line)
{
    if (!SerialIndexInTable(index))
        return 0;
    return ioctl(table.fd[index], request, &line) == 0 ? 1 : 0;
}

}  // namespace

int SerialOpenPort(int index, int baud)
{
    if (SerialCheckOpenArguments(index, baud) != 0)
        return 1;

    char path[PATH_MAX] = "";
    const bool closing = SerialPortClosing(index);
    table.fd[index] = !closing && DevicePath(index, path, sizeof path) ? OpenExclusive(path) : -1;
    if (table.fd[index] < 0) {
        ReportOpenFailure(index, path, closing ? EBUSY : path[0] != '\0' ? errno : 0);
        return 1;
    }
    openFailure[index].clear();
    int fd = table.fd[index];
    ioctl(fd, TIOCEXCL);

    termios settings;
    speed_t speed;
    if (!SpeedConstant(baud, speed) || tcgetattr(fd, &settings) != 0)
        return FailOpen(index, "unable to set comport dcb settings");
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0)
        return FailOpen(index, "unable to set comport dcb settings");

    if (tcsetattr(fd, TCSANOW, &settings) != 0 || !RaiseDtrAndRts(fd))
        return FailOpen(index, "unable to set comport cfg settings");
    // Whatever the device sent while nobody held the port is stale.
    tcflush(fd, TCIOFLUSH);

    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        return FailOpen(index, "unable to set comport time-out settings");
    return 0;
}

int SerialPlatformRead(int index, unsigned char* destination, int maxBytes)
{
    ssize_t n;
    do {
        n = read(table.fd[index], destination, static_cast<std::size_t>(maxBytes));
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<int>(n) : 0;
}

int SerialPlatformWrite(int index, const unsigned char* bytes, int count)
{
    int written = 0;
    while (written < count) {
        ssize_t n = write(table.fd[index], bytes + written, static_cast<std::size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        return -1;
    }
    return written;
}

int SerialClosePort(int index)
{
    if (!SerialIndexInTable(index) || table.fd[index] < 0)
        return 0;
    int fd = table.fd[index];
    table.fd[index] = -1;
    SerialDropWaitingWrites(index);
    return ClosePortDescriptor(index, fd);
}

void SerialSetCloseCalls(const SerialCloseCalls* calls)
{
    closeCalls = calls ? calls : &SystemCloseCalls;
}

int SerialIsDcdOn(int index)
{
    return ModemLine(index, TIOCM_CAR);
}
int SerialIsCtsOn(int index)
{
    return ModemLine(index, TIOCM_CTS);
}
int SerialIsDsrOn(int index)
{
    return ModemLine(index, TIOCM_DSR);
}

int SerialSetDtr(int index)
{
    return ChangeModemLine(index, TIOCMBIS, TIOCM_DTR);
}
int SerialClearDtr(int index)
{
    return ChangeModemLine(index, TIOCMBIC, TIOCM_DTR);
}
int SerialSetRts(int index)
{
    return ChangeModemLine(index, TIOCMBIS, TIOCM_RTS);
}
int SerialClearRts(int index)
{
    return ChangeModemLine(index, TIOCMBIC, TIOCM_RTS);
}

unsigned long long SerialPortPresence(int index, bool& mayOpen)
{
    mayOpen = false;
    char path[PATH_MAX];
    if (!SerialIndexInTable(index) || !DevicePath(index, path, sizeof path))
        return 0;
    struct stat node;
    if (stat(path, &node) != 0 || !S_ISCHR(node.st_mode))
        return 0;
    // Virtual consoles and unbound UARTs are ttys without a device behind them.
    // A pseudo-terminal has no entry there at all.
    std::string name;
    if (TtyName(path, name)) {
        char sysfs[PATH_MAX];
        std::snprintf(sysfs, sizeof sysfs, "/sys/class/tty/%s", name.c_str());
        if (access(sysfs, F_OK) == 0) {
            std::snprintf(sysfs, sizeof sysfs, "/sys/class/tty/%s/device", name.c_str());
            if (access(sysfs, F_OK) != 0)
                return 0;
        }
    }
    if (access(path, R_OK | W_OK) == 0) {
        mayOpen = true;
    } else if (errno == EACCES || errno == EPERM) {
        std::snprintf(deniedDevice, sizeof deniedDevice, "%s", path);
    }
    // A new device gets a new node; a link to it (VITREL_SERIAL_PORTS) is made
    // anew too. The node's own change time is left out: udev sets the node's
    // owner and mode just after it appears.
    unsigned long long stamp = static_cast<unsigned long long>(node.st_rdev) * 1000003ULL
                               ^ static_cast<unsigned long long>(node.st_ino);
    struct stat link;
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode))
        stamp = stamp * 31ULL ^ static_cast<unsigned long long>(link.st_ino) * 7919ULL
                ^ static_cast<unsigned long long>(link.st_ctim.tv_sec) * 1000000007ULL
                ^ static_cast<unsigned long long>(link.st_ctim.tv_nsec);
    return stamp != 0 ? stamp : 1;
}

int SerialListPortsBeyondSearch(int[], int)
{
    return 0;
}

const char* SerialDeniedDevice()
{
    return deniedDevice;
}

bool SerialDevicePath(int index, char* path, std::size_t size)
{
    return DevicePath(index, path, size);
}

void SerialDescribePort(int index, char* where, std::size_t whereSize, char* product, std::size_t productSize)
{
    if (whereSize > 0)
        where[0] = '\0';
    if (productSize > 0)
        product[0] = '\0';
    std::string name;
    if (!SerialIndexInTable(index) || !DevicePath(index, where, whereSize) || !TtyName(where, name))
        return;
    // The USB device's own description, which a bridge's maker fills in
    // ("FT232R USB UART", "CP2102 USB to UART Bridge Controller").
    udev* context = udev_new();
    if (context == nullptr)
        return;
    udev_device* tty = udev_device_new_from_subsystem_sysname(context, "tty", name.c_str());
    udev_device* usb =
        tty != nullptr ? udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device") : nullptr;
    const char* text = usb != nullptr ? udev_device_get_sysattr_value(usb, "product") : nullptr;
    if (text != nullptr && productSize > 0)
        std::snprintf(product, productSize, "%s", text);
    if (tty != nullptr)
        udev_device_unref(tty);
    udev_unref(context);
}
