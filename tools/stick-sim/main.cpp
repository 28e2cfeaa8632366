// vitrel-stick-sim: a simulated Vitrel stick on a pseudo-terminal, for
// development, demonstrations and tests. See Usage below.
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "device/instruction.h"
#include "tools/stick-sim/stick.h"

namespace {

const char UsageText[] = "Usage: vitrel-stick-sim [OPTIONS] LINK\n"
                         "\n"
                         "Plays a Vitrel stick on a new pseudo-terminal and makes LINK a symbolic\n"
                         "link to it (a stale link there is replaced). Point the program at it with\n"
                         "VITREL_SERIAL_PORTS, for example VITREL_SERIAL_PORTS=::LINK for COM3.\n"
                         "Prints \"ready\" on standard output once LINK and the control FIFO exist.\n"
                         "Stops on SIGTERM or SIGINT, removing LINK and the control FIFO.\n"
                         "\n"
                         "It answers Identify (00 0C FF), PollStatus (00 0B r1 r2 FF), QueryBeeper\n"
                         "(00 11 b FF) and ReadProgramme (00 12 lo hi sel s1..sn FF); BeeperOn and\n"
                         "BeeperOff set the beeper, SetSlotTimer and SetSlotPattern store the\n"
                         "programme. Incoming frames end at their first 0xFF.\n"
                         "\n"
                         "Options:\n"
                         "  --log FILE        write a line per frame received (RX) and sent (TX),\n"
                         "                    control command, plug and unplug, flushed per line:\n"
                         "                      <seconds.milliseconds> RX 00 0B FF\n"
                         "                    (wall-clock time); the kinds are RX, TX, NOISE (bytes\n"
                         "                    outside a frame), DROP (reply bytes the pty refused),\n"
                         "                    CTL <command> (applied), CTL-ERROR <command>,\n"
                         "                    PLUG <pty>, UNPLUG, STOP; with --other-device also\n"
                         "                    OPEN and BYTES\n"
                         "  --control FIFO    make a FIFO at FIFO that takes one command per line\n"
                         "  --battery R1,R2   readings of the status reply (default 160,100: 4.0 V)\n"
                         "  --beeper on|off   initial beeper state (default on)\n"
                         "  --programme HEX   initial programme: lo hi sel s1..sn as hex bytes\n"
                         "                    (default \"57 9E 00 01 02 01 02 01 02 01 02 01 02\":\n"
                         "                    10 Hz slots, 10 slots alternately on and off)\n"
                         "  --answer N/M      answer only N of every M status polls\n"
                         "  --silent          start silent (answer nothing)\n"
                         "  --pace BAUD       move bytes both ways at the rate of a BAUD 8N1 line\n"
                         "                    (ten bit times a byte) instead of at once\n"
                         "  --answer-delay MS send every reply MS milliseconds after the frame it\n"
                         "                    answers came in (a slow stick or USB bridge)\n"
                         "  --other-device    play another serial device instead: answer nothing,\n"
                         "                    and log every open of the pseudo-terminal (OPEN) and\n"
                         "                    every chunk of bytes received (BYTES)\n"
                         "  --flip-slot N     store slot N (from 0) of every pattern turned over\n"
                         "  --alter-timer     store the timer's lo byte changed by one\n"
                         "  --ignore-reads    do not answer ReadProgramme\n"
                         "  --help            show this text\n"
                         "\n"
                         "Control commands (one per line on the FIFO):\n"
                         "  silent            answer nothing from now on\n"
                         "  answer            answer everything again\n"
                         "  answer N/M        answer only N of every M status polls, counting afresh\n"
                         "  send HEX          send these bytes now, e.g. \"send 00 11 00 FF\"\n"
                         "  battery R1 R2     readings of the status reply (0 to 255)\n"
                         "  beeper on|off     set the beeper state\n"
                         "  programme HEX     set the stored programme (lo hi sel s1..sn)\n"
                         "  flip-slot N|off   store slot N of every pattern turned over, or not\n"
                         "  alter-timer on|off  store the timer's lo byte changed, or not\n"
                         "  reads on|off      answer ReadProgramme, or not\n"
                         "  stall on|off      stop taking bytes, as a stick whose input is full: the\n"
                         "                    pty's buffer is filled (with 0xFF, noise to a receiver)\n"
                         "                    and no longer read, so the program's writes are\n"
                         "                    refused; a status reply still goes out every 100 ms.\n"
                         "                    Off, it reads again, the filler first\n"
                         "  stall room N      the same, but the buffer keeps room for N more bytes\n"
                         "                    (0 to 255): the program's next write is taken only\n"
                         "                    in part, as by a stick that stopped reading in the\n"
                         "                    middle of it\n"
                         "  unplug            close the pseudo-terminal and remove LINK\n"
                         "  plug              open a new pseudo-terminal and make LINK again\n"
                         "  quit              stop, as on SIGTERM\n"
                         "HEX is bytes of one or two hex digits separated by blanks or commas, or\n"
                         "runs of digit pairs (\"0011 00FF\").\n";

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int)
{
    stopRequested = 1;
}

// A real serial line moves one byte per ten bit times; a pseudo-terminal
// moves any number at once. With a rate set, bytes read from the program
// reach the stick, and reply bytes reach the program, only as fast as the
// line would carry them.
struct PacedLine {
    double byteSeconds = 0.0;  // 0: not paced
    struct Byte {
        double due;  // monotonic seconds at which it has crossed the line
        unsigned char value;
    };
    std::deque<Byte> inbound, outbound;
    double inboundFree = 0.0, outboundFree = 0.0;  // when each direction is idle again

    double answerDelay = 0.0;  // seconds between a frame's arrival and its reply
    bool On() const { return byteSeconds > 0.0 || answerDelay > 0.0; }
    static void Queue(std::deque<Byte>& queue, double& free, double byteSeconds, double now,
                      const unsigned char* bytes, int count)
    {
        for (int i = 0; i < count; ++i) {
            free = (free > now ? free : now) + byteSeconds;
            queue.push_back({free, bytes[i]});
        }
    }
    // Milliseconds until the next byte is due, or -1 with none queued.
    int WaitMilliseconds(double now) const
    {
        double next = -1.0;
        for (const std::deque<Byte>* queue : {&inbound, &outbound})
            if (!queue->empty() && (next < 0.0 || queue->front().due < next))
                next = queue->front().due;
        if (next < 0.0)
            return -1;
        return next <= now ? 0 : static_cast<int>((next - now) * 1000.0) + 1;
    }
};

double MonotonicSeconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Simulator {
    SimulatedStick stick;
    std::string linkPath;
    std::string controlPath;
    std::FILE* log = nullptr;
    int master = -1;
    // Kept open and never read, so that the master does not see a hang-up
    // whenever the program closes its side.
    int slave = -1;
    int control = -1;
    std::string controlLine;
    // Stalled: the master is not read, and the pty's buffer is kept full.
    bool stalled = false;
    // Stalled with room left for the program: the buffer is not filled again.
    bool roomLeft = false;
    double nextStalledAnswer = 0.0;
    long fillerLeft = 0;  // filler bytes not yet read back
    bool quit = false;
    PacedLine paced;
    // Another device: every open of the pseudo-terminal, seen by inotify.
    bool otherDevice = false;
    int opens = -1;
};

void Log(Simulator& sim, const char* kind, const unsigned char* bytes, int count, const char* text = nullptr)
{
    if (sim.log == nullptr)
        return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(sim.log, "%lld.%03ld %s", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000000L, kind);
    for (int i = 0; i < count; ++i)
        std::fprintf(sim.log, " %02X", bytes[i]);
    if (text != nullptr)
        std::fprintf(sim.log, " %s", text);
    std::fputc('\n', sim.log);
    std::fflush(sim.log);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses HEX as described in the usage text; false on anything else.
bool ParseHex(const char* text, unsigned char* bytes, int capacity, int& count)
{
    count = 0;
    const char* p = text;
    while (*p != '\0') {
        if (*p == ' ' || *p == '\t' || *p == ',') {
            ++p;
            continue;
        }
        const char* start = p;
        while (*p != '\0' && HexDigit(*p) >= 0)
            ++p;
        long digits = p - start;
        if (digits == 0 || (digits > 2 && digits % 2 != 0))
            return false;
        if (digits <= 2) {
            if (count >= capacity)
                return false;
            bytes[count++] = static_cast<unsigned char>(
                digits == 1 ? HexDigit(start[0]) : HexDigit(start[0]) * 16 + HexDigit(start[1]));
            continue;
        }
        for (const char* d = start; d < p; d += 2) {
            if (count >= capacity)
                return false;
            bytes[count++] = static_cast<unsigned char>(HexDigit(d[0]) * 16 + HexDigit(d[1]));
        }
    }
    return count > 0;
}

// Two readings 0..255 separated by a comma or blanks.
bool ParseBattery(const char* text, unsigned char battery[2])
{
    int r1, r2;
    char rest;
    if (std::sscanf(text, " %d%*[ ,]%d %c", &r1, &r2, &rest) != 2)
        return false;
    if (r1 < 0 || r1 > 255 || r2 < 0 || r2 > 255)
        return false;
    battery[0] = static_cast<unsigned char>(r1);
    battery[1] = static_cast<unsigned char>(r2);
    return true;
}

bool ParseAnswer(const char* text, int& answered, int& cycle)
{
    char rest;
    if (std::sscanf(text, " %d / %d %c", &answered, &cycle, &rest) != 2)
        return false;
    return cycle > 0 && answered >= 0 && answered <= cycle;
}

bool ParseOnOff(const char* text, bool& on)
{
    if (std::strcmp(text, "on") == 0 || std::strcmp(text, "1") == 0) {
        on = true;
        return true;
    }
    if (std::strcmp(text, "off") == 0 || std::strcmp(text, "0") == 0) {
        on = false;
        return true;
    }
    return false;
}

bool ParseProgramme(const char* text, SimulatedStick& stick)
{
    unsigned char bytes[3 + 255];
    int count;
    return ParseHex(text, bytes, sizeof bytes, count) && stick.SetProgramme(bytes, count);
}

bool ParseSlot(const char* text, int& slot)
{
    char rest;
    if (std::strcmp(text, "off") == 0) {
        slot = -1;
        return true;
    }
    return std::sscanf(text, " %d %c", &slot, &rest) == 1 && slot >= 0 && slot < 255;
}

// The faults of a stick that does not keep or report what it was sent.
bool ExecuteStorageFault(SimulatedStick& stick, const std::string& command, const char* argument)
{
    if (command == "flip-slot")
        return ParseSlot(argument, stick.flipSlot);
    if (command == "alter-timer")
        return ParseOnOff(argument, stick.alterTimer);
    if (command == "reads")
        return ParseOnOff(argument, stick.answerReads);
    return false;
}

bool Plug(Simulator& sim)
{
    char name[128];
    if (openpty(&sim.master, &sim.slave, name, nullptr, nullptr) != 0) {
        std::perror("vitrel-stick-sim: openpty");
        return false;
    }
    // Raw, so that nothing the program sends is echoed back to it.
    termios settings;
    tcgetattr(sim.slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(sim.slave, TCSANOW, &settings);
    fcntl(sim.master, F_SETFL, fcntl(sim.master, F_GETFL) | O_NONBLOCK);
    fcntl(sim.master, F_SETFD, FD_CLOEXEC);
    fcntl(sim.slave, F_SETFD, FD_CLOEXEC);
    // Written only to fill the buffer when stalled, and then never waits.
    fcntl(sim.slave, F_SETFL, fcntl(sim.slave, F_GETFL) | O_NONBLOCK);

    // Link through a temporary name and rename, so the link is never missing
    // or half made while it replaces a stale one.
    std::string temporary = sim.linkPath + ".new";
    unlink(temporary.c_str());
    if (symlink(name, temporary.c_str()) != 0 || rename(temporary.c_str(), sim.linkPath.c_str()) != 0) {
        std::perror("vitrel-stick-sim: linking the pseudo-terminal");
        unlink(temporary.c_str());
        close(sim.master);
        close(sim.slave);
        sim.master = sim.slave = -1;
        return false;
    }
    ResetInstructionReceiver();
    if (sim.otherDevice) {
        sim.opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (sim.opens >= 0 && inotify_add_watch(sim.opens, name, IN_OPEN) < 0) {
            close(sim.opens);
            sim.opens = -1;
        }
    }
    Log(sim, "PLUG", nullptr, 0, name);
    return true;
}

// Logs one OPEN line for every open of the pseudo-terminal since the last call.
void OnOpened(Simulator& sim)
{
    alignas(inotify_event) char events[4096];
    ssize_t n;
    while ((n = read(sim.opens, events, sizeof events)) > 0) {
        for (char* at = events; at < events + n;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
            if (event->mask & IN_OPEN)
                Log(sim, "OPEN", nullptr, 0);
            at += sizeof(inotify_event) + event->len;
        }
    }
}

void Unplug(Simulator& sim)
{
    if (sim.master < 0)
        return;
    sim.paced.inbound.clear();
    sim.paced.outbound.clear();
    sim.stalled = false;
    sim.roomLeft = false;
    sim.fillerLeft = 0;
    unlink(sim.linkPath.c_str());
    close(sim.master);
    close(sim.slave);
    sim.master = sim.slave = -1;
    if (sim.opens >= 0)
        close(sim.opens);
    sim.opens = -1;
    Log(sim, "UNPLUG", nullptr, 0);
}

void WriteNow(Simulator& sim, const unsigned char* bytes, int count, bool logTx)
{
    ssize_t written = write(sim.master, bytes, static_cast<std::size_t>(count));
    if (written < 0)
        written = 0;
    if (written > 0 && logTx)
        Log(sim, "TX", bytes, static_cast<int>(written));
    if (written < count)
        Log(sim, "DROP", bytes + written, count - static_cast<int>(written));
}

// A paced reply is logged as sent when it is queued, and reaches the
// program byte by byte.
void Send(Simulator& sim, const unsigned char* bytes, int count)
{
    if (!sim.paced.On()) {
        WriteNow(sim, bytes, count, true);
        return;
    }
    Log(sim, "TX", bytes, count);
    PacedLine::Queue(sim.paced.outbound, sim.paced.outboundFree, sim.paced.byteSeconds,
                     MonotonicSeconds() + sim.paced.answerDelay, bytes, count);
}

void OnReceived(Simulator& sim, const unsigned char* chunk, int length)
{
    InstructionReceiver& receiver = TheInstructionReceiver();
    receiver.position = 0;
    while (receiver.position < length) {
        int start = receiver.position;
        bool betweenFrames = receiver.complete && !receiver.discarding;
        if (ParseInstruction(chunk, length)) {
            Log(sim, "RX", receiver.instruction, receiver.length);
            unsigned char reply[MaxReplyBytes];
            int replyLength = sim.stick.Receive(receiver.instruction, receiver.length, reply);
            if (replyLength > 0)
                Send(sim, reply, replyLength);
        } else if (betweenFrames && chunk[start] != 0x00) {
            // The filler of a stall is not the program's noise.
            int first = start;
            while (first < receiver.position && sim.fillerLeft > 0 && chunk[first] == 0xFF) {
                ++first;
                --sim.fillerLeft;
            }
            if (first < receiver.position)
                Log(sim, "NOISE", chunk + first, receiver.position - first);
        }
        if (receiver.position <= start)
            break;
    }
}

// Hands on the paced bytes whose time has come, in both directions.
void DeliverPaced(Simulator& sim)
{
    const double now = MonotonicSeconds();
    unsigned char chunk[512 + 1];
    for (bool inbound : {true, false}) {
        std::deque<PacedLine::Byte>& queue = inbound ? sim.paced.inbound : sim.paced.outbound;
        while (!queue.empty() && queue.front().due <= now) {
            int n = 0;
            while (n < 512 && !queue.empty() && queue.front().due <= now) {
                chunk[n++] = queue.front().value;
                queue.pop_front();
            }
            chunk[n] = 0;
            if (inbound)
                OnReceived(sim, chunk, n);
            else if (sim.master >= 0)
                WriteNow(sim, chunk, n, false);
        }
    }
}

// Fills what room the pty's buffer towards the stick has left, as the
// program's own unread bytes would in time. Writes of a whole block first,
// then single bytes for the last of the room. Returns whether it took any.
bool FillInput(Simulator& sim)
{
    unsigned char filler[512];
    std::memset(filler, 0xFF, sizeof filler);
    bool took = false;
    for (std::size_t block : {sizeof filler, std::size_t {1}}) {
        ssize_t n;
        while ((n = write(sim.slave, filler, block)) > 0) {
            sim.fillerLeft += n;
            took = true;
        }
    }
    return took;
}

void Pause()
{
    timespec pause = {0, 20 * 1000000L};
    nanosleep(&pause, nullptr);
}

// Writes filler one byte at a time until `most` bytes went in or the buffer
// stays full; returns how many went in. One byte at a time, the kernel's
// buffers are all of one size, so the same fill from the same state always
// takes the same number.
long FillUpTo(Simulator& sim, long most)
{
    const unsigned char filler = 0xFF;
    long taken = 0;
    for (int refusals = 0; taken < most && refusals < 3;) {
        if (write(sim.slave, &filler, 1) == 1) {
            ++taken;
            refusals = 0;
        } else {
            ++refusals;
            Pause();
        }
    }
    sim.fillerLeft += taken;
    return taken;
}

// Reads everything the buffer holds, handling it as received, until nothing
// more comes.
void Drain(Simulator& sim)
{
    unsigned char chunk[512 + 1];
    for (int idle = 0; idle < 3;) {
        const ssize_t n = read(sim.master, chunk, 512);
        if (n > 0) {
            chunk[n] = 0;
            OnReceived(sim, chunk, static_cast<int>(n));
            idle = 0;
        } else {
            ++idle;
            Pause();
        }
    }
}

// Stalls with room for exactly `room` more bytes. The buffer's size is
// measured first: filled from a full-then-emptied state, which leaves the
// kernel's last buffer exactly full; then emptied and filled again, short of
// that size by `room`.
void StallWithRoom(Simulator& sim, long room)
{
    Drain(sim);
    FillUpTo(sim, LONG_MAX);
    Drain(sim);
    const long size = FillUpTo(sim, LONG_MAX);
    Drain(sim);
    FillUpTo(sim, size - room);
    Pause();
}

// While stalled the stick cannot read the polls, but answers as if it had:
// the program keeps seeing a stick that is there.
void AnswerWhileStalled(Simulator& sim)
{
    const double now = MonotonicSeconds();
    if (!sim.stalled || sim.master < 0 || now < sim.nextStalledAnswer)
        return;
    sim.nextStalledAnswer = now + 0.1;
    if (!sim.roomLeft)
        FillInput(sim);
    const unsigned char poll[] = {0x00, PollStatus, 0xFF};
    unsigned char reply[MaxReplyBytes];
    int replyLength = sim.stick.Receive(poll, sizeof poll, reply);
    if (replyLength > 0)
        Send(sim, reply, replyLength);
}

bool Execute(Simulator& sim, const std::string& line)
{
    std::string command = line.substr(0, line.find(' '));
    const char* argument = line.size() > command.size() ? line.c_str() + command.size() + 1 : "";
    SimulatedStick& stick = sim.stick;
    if (command == "silent" && *argument == '\0') {
        stick.silent = true;
    } else if (command == "answer") {
        int answered = 1, cycle = 1;
        if (*argument != '\0' && !ParseAnswer(argument, answered, cycle))
            return false;
        stick.silent = false;
        stick.AnswerPolls(answered, cycle);
    } else if (command == "send") {
        unsigned char bytes[1024];
        int count;
        if (sim.master < 0 || !ParseHex(argument, bytes, sizeof bytes, count))
            return false;
        Send(sim, bytes, count);
    } else if (command == "battery") {
        if (!ParseBattery(argument, stick.battery))
            return false;
    } else if (command == "beeper") {
        if (!ParseOnOff(argument, stick.beeperOn))
            return false;
    } else if (command == "programme") {
        if (!ParseProgramme(argument, stick))
            return false;
    } else if (command == "stall") {
        bool on;
        int room;
        char rest;
        if (sim.master < 0)
            return false;
        if (std::sscanf(argument, "room %d %c", &room, &rest) == 1 && room >= 0 && room <= 255
            && !sim.stalled) {
            StallWithRoom(sim, room);
            sim.stalled = sim.roomLeft = true;
            sim.nextStalledAnswer = MonotonicSeconds();
            return true;
        }
        if (!ParseOnOff(argument, on))
            return false;
        if (on && !sim.stalled) {
            sim.stalled = true;
            sim.nextStalledAnswer = MonotonicSeconds();
            // The kernel moves bytes on between the pty's two buffers a little
            // later, which makes room again: filled until it stays full.
            while (FillInput(sim)) {
                timespec pause = {0, 20 * 1000000L};
                nanosleep(&pause, nullptr);
            }
        }
        sim.stalled = on;
        sim.roomLeft = false;
    } else if (command == "unplug" && *argument == '\0') {
        Unplug(sim);
    } else if (command == "plug" && *argument == '\0') {
        if (sim.master < 0 && !Plug(sim))
            return false;
    } else if (command == "quit" && *argument == '\0') {
        sim.quit = true;
    } else {
        return ExecuteStorageFault(stick, command, argument);
    }
    return true;
}

void OnControl(Simulator& sim)
{
    char buffer[512];
    ssize_t n;
    while ((n = read(sim.control, buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                if (sim.controlLine.size() < 4096)
                    sim.controlLine += buffer[i];
                continue;
            }
            std::string line = sim.controlLine;
            sim.controlLine.clear();
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (line.empty())
                continue;
            bool done = Execute(sim, line);
            Log(sim, done ? "CTL" : "CTL-ERROR", nullptr, 0, line.c_str());
        }
    }
}

bool OpenControl(Simulator& sim)
{
    struct stat existing;
    if (lstat(sim.controlPath.c_str(), &existing) == 0) {
        if (!S_ISFIFO(existing.st_mode)) {
            std::fprintf(stderr, "vitrel-stick-sim: %s exists and is not a FIFO\n", sim.controlPath.c_str());
            return false;
        }
        unlink(sim.controlPath.c_str());
    }
    if (mkfifo(sim.controlPath.c_str(), 0600) != 0) {
        std::perror("vitrel-stick-sim: mkfifo");
        return false;
    }
    // Opened for writing too, so that the FIFO never reports end of file when
    // a writer goes away.
    sim.control = open(sim.controlPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (sim.control < 0) {
        std::perror("vitrel-stick-sim: opening the control FIFO");
        return false;
    }
    return true;
}

int Usage(const char* problem)
{
    std::fprintf(stderr, "vitrel-stick-sim: %s\n\n%s", problem, UsageText);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    Simulator sim;
    const char* logPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        bool hasValue = i + 1 < argc;
        if (option == "--help") {
            std::fputs(UsageText, stdout);
            return 0;
        } else if (option == "--silent") {
            sim.stick.silent = true;
        } else if (option == "--flip-slot" && hasValue) {
            if (!ParseSlot(argv[++i], sim.stick.flipSlot))
                return Usage("bad --flip-slot");
        } else if (option == "--alter-timer") {
            sim.stick.alterTimer = true;
        } else if (option == "--ignore-reads") {
            sim.stick.answerReads = false;
        } else if (option == "--log" && hasValue) {
            logPath = argv[++i];
        } else if (option == "--control" && hasValue) {
            sim.controlPath = argv[++i];
        } else if (option == "--battery" && hasValue) {
            if (!ParseBattery(argv[++i], sim.stick.battery))
                return Usage("bad --battery");
        } else if (option == "--beeper" && hasValue) {
            if (!ParseOnOff(argv[++i], sim.stick.beeperOn))
                return Usage("bad --beeper");
        } else if (option == "--programme" && hasValue) {
            if (!ParseProgramme(argv[++i], sim.stick))
                return Usage("bad --programme");
        } else if (option == "--answer" && hasValue) {
            int answered, cycle;
            if (!ParseAnswer(argv[++i], answered, cycle))
                return Usage("bad --answer");
            sim.stick.AnswerPolls(answered, cycle);
        } else if (option == "--answer-delay" && hasValue) {
            char* end = nullptr;
            long delay = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || delay < 0 || delay > 60000)
                return Usage("bad --answer-delay");
            sim.paced.answerDelay = static_cast<double>(delay) / 1000.0;
        } else if (option == "--other-device") {
            sim.otherDevice = true;
            sim.stick.silent = true;
        } else if (option == "--pace" && hasValue) {
            char* end = nullptr;
            long baud = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || baud < 1 || baud > 4000000)
                return Usage("bad --pace");
            sim.paced.byteSeconds = 10.0 / static_cast<double>(baud);
        } else if (option.size() > 1 && option[0] == '-') {
            return Usage(("unknown option or missing value: " + option).c_str());
        } else if (sim.linkPath.empty()) {
            sim.linkPath = option;
        } else {
            return Usage("more than one LINK");
        }
    }
    if (sim.linkPath.empty())
        return Usage("LINK missing");

    struct stat existing;
    if (lstat(sim.linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        std::fprintf(stderr, "vitrel-stick-sim: %s exists and is not a symbolic link\n",
                     sim.linkPath.c_str());
        return 1;
    }

    // The stop signals are only let through while waiting in ppoll, so a stop
    // request is never missed between a check and the wait.
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (logPath != nullptr) {
        sim.log = std::fopen(logPath, "w");
        if (sim.log == nullptr) {
            std::perror("vitrel-stick-sim: opening the log");
            return 1;
        }
    }
    if (!sim.controlPath.empty() && !OpenControl(sim))
        return 1;
    if (!Plug(sim)) {
        if (!sim.controlPath.empty())
            unlink(sim.controlPath.c_str());
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);

    while (!stopRequested && !sim.quit) {
        pollfd watched[3];
        int count = 0;
        if (sim.master >= 0 && !sim.stalled)
            watched[count++] = {sim.master, POLLIN, 0};
        if (sim.control >= 0)
            watched[count++] = {sim.control, POLLIN, 0};
        if (sim.opens >= 0)
            watched[count++] = {sim.opens, POLLIN, 0};
        const double now = MonotonicSeconds();
        int wait = sim.paced.WaitMilliseconds(now);
        if (sim.stalled) {
            int untilAnswer = sim.nextStalledAnswer <= now
                                  ? 0
                                  : static_cast<int>((sim.nextStalledAnswer - now) * 1000.0) + 1;
            if (wait < 0 || untilAnswer < wait)
                wait = untilAnswer;
        }
        timespec timeout = {wait / 1000, (wait % 1000) * 1000000L};
        int ready = ppoll(watched, static_cast<nfds_t>(count), wait < 0 ? nullptr : &timeout, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::perror("vitrel-stick-sim: ppoll");
            break;
        }
        for (int i = 0; i < count; ++i) {
            if (watched[i].revents == 0)
                continue;
            if (watched[i].fd == sim.control) {
                OnControl(sim);
            } else if (watched[i].fd == sim.opens) {
                OnOpened(sim);
            } else if (watched[i].fd == sim.master) {
                unsigned char chunk[512 + 1];
                ssize_t n = read(sim.master, chunk, 512);
                if (n > 0 && sim.otherDevice)
                    Log(sim, "BYTES", chunk, static_cast<int>(n));
                if (n > 0 && sim.paced.On()) {
                    PacedLine::Queue(sim.paced.inbound, sim.paced.inboundFree, sim.paced.byteSeconds,
                                     MonotonicSeconds(), chunk, static_cast<int>(n));
                } else if (n > 0) {
                    chunk[n] = 0;
                    OnReceived(sim, chunk, static_cast<int>(n));
                }
            }
        }
        if (sim.paced.On())
            DeliverPaced(sim);
        AnswerWhileStalled(sim);
    }

    Unplug(sim);
    if (sim.control >= 0) {
        close(sim.control);
        unlink(sim.controlPath.c_str());
    }
    Log(sim, "STOP", nullptr, 0);
    if (sim.log != nullptr)
        std::fclose(sim.log);
    return 0;
}
