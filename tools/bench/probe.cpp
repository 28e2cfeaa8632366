// vitrel-bench-probe: the in-process figures of scripts/bench, taken on the
// real window in the current folder (a copy of the run directory).
//
//   catalogue REPS       median ms to load a 1,000 x 250 catalogue into the
//                        treatments list box, and to read the file alone
//   diary N REPS         median ms for the diary list to refresh from a file of
//                        N entries and settle (idle work and painting done):
//                        the file as last read, and the file written anew
//   attach DELAY REPS    median ms from the simulated stick's device appearing
//                        (its log's PLUG line) to "Device Attached", with the
//                        stick answering DELAY ms late; a stick not attached
//                        within 5 s counts as 5000 ms. Unplugged again
//                        after each attach
//   stall SECONDS [N]    the longest ms the event loop stood still over
//                        SECONDS detached, with N (default 9) silent serial
//                        devices present (the simulated stick as another
//                        device), and the longest ms of the device tick
//                        itself
//   write REPS SIM_LOG   median ms from "Yes" on the Treatments page's Write
//                        Vitrel (250 slots, from a page showing 10) to the
//                        pattern frame received by the simulated stick, as
//                        its log tells; the stick must be attached. Also the
//                        median ms from "Yes" to "Programme written and
//                        checked" in the status bar (the read-back compared)
//
// Each command prints one line: "<figure> <median ms>".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/modalhook.h>
#include <wx/statusbr.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "ui/frame/vitrel_app.h"
#include "ui/frame/vitrel_frame.h"
#include "ui/pages/diary_page.h"
#include "ui/pages/treatments_page.h"

namespace {

constexpr int CatalogueRecords = 1000;
constexpr int CatalogueSlots = 250;
const char* const CatalogueFile = "VitrelTreatmentsList.xml";

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

double WallSeconds()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Records spread over the general treatments and the 24 spots in order,
// each with every other slot firing.
void WriteCatalogue(const char* path)
{
    std::FILE* file = std::fopen(path, "w");
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VitrelTreatmentsList>\n", file);
    for (int i = 0; i < CatalogueRecords; ++i) {
        std::fprintf(file,
                     "  <Treatment>\n    <Title>Treatment %d</Title>\n"
                     "    <Description>Bench treatment number %d.</Description>\n"
                     "    <BodySpot>%d</BodySpot>\n    <DayTreatment>Day</DayTreatment>\n"
                     "    <NightTreatment>Night</NightTreatment>\n"
                     "    <BaseFrequency>1.000000</BaseFrequency>\n"
                     "    <BaseTimePeriod>1.000000</BaseTimePeriod>\n"
                     "    <SlotFrequency>%d.000000</SlotFrequency>\n"
                     "    <TimePeriodPerSlot>%f</TimePeriodPerSlot>\n"
                     "    <NumberOfSlots>%d</NumberOfSlots>\n",
                     i, i, i * 25 / CatalogueRecords, CatalogueSlots, 1.0 / CatalogueSlots, CatalogueSlots);
        for (int s = 0; s < CatalogueSlots; ++s)
            std::fprintf(file, "    <Slot>%d</Slot>\n", s % 2 ? 0 : 1);
        std::fputs("  </Treatment>\n", file);
    }
    std::fputs("</VitrelTreatmentsList>\n", file);
    std::fclose(file);
}

void WriteDiary(const char* path, int entries)
{
    std::FILE* file = std::fopen(path, "w");
    std::fputs("<HistoryDoc>\n", file);
    for (int i = 0; i < entries; ++i)
        std::fprintf(file,
                     "    <Entry>\n        <Date>%02d.%02d.2026.</Date>\n"
                     "        <Time>%02d:%02d:%02d</Time>\n"
                     "        <Summary>Treatment %d, spot %d</Summary>\n"
                     "        <Content>Twenty minutes on spot %d.\nFelt warm afterwards.</Content>\n"
                     "    </Entry>\n",
                     i % 28 + 1, i % 12 + 1, i % 24, i % 60, i % 59, i, i % 24 + 1, i % 24 + 1);
    std::fputs("</HistoryDoc>\n", file);
    std::fclose(file);
}

// Confirms every question at once and notes when: the moment of "Yes".
class AnswerYes : public wxModalDialogHook {
public:
    double lastYes = 0.0;

protected:
    int Enter(wxDialog*) override
    {
        lastYes = WallSeconds();
        return wxID_OK;
    }
    void Exit(wxDialog*) override { }
};

// Seconds of the log's first "RX 00 08" line stamped at or after `after`,
// or 0 when there is none yet. Log stamps have millisecond resolution.
double PatternReceivedAt(const std::string& log, double after)
{
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        const size_t kind = line.find(" RX 00 08 ");
        if (kind == std::string::npos)
            continue;
        const double stamp = std::atof(line.substr(0, kind).c_str());
        if (stamp + 0.0005 >= after)
            return stamp;
    }
    return 0.0;
}

// The simulated stick as a child process, linked at `link`; gone with the
// object (SIGTERM removes its link).
class SimulatedDevice {
public:
    SimulatedDevice(const std::string& link, const std::string& log, std::vector<std::string> options)
    {
        options.insert(options.begin(), {"./vitrel-stick-sim", "--log", log});
        options.push_back(link);
        pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (std::string& option : options)
                argv.push_back(option.data());
            argv.push_back(nullptr);
            std::freopen("/dev/null", "w", stdout);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~SimulatedDevice()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

private:
    pid_t pid = -1;
};

bool Exists(const std::string& path)
{
    struct stat link;
    return lstat(path.c_str(), &link) == 0;
}

// Seconds of the log's PLUG line, or 0 when there is none yet.
double PluggedAt(const std::string& log)
{
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        const size_t kind = line.find(" PLUG ");
        if (kind != std::string::npos)
            return std::atof(line.substr(0, kind).c_str());
    }
    return 0.0;
}

template <typename T> T* Find(const char* name)
{
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name));
}

void Settle()
{
    for (int i = 0; i < 3; ++i)
        wxTheApp->Yield(true);
}

bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (Milliseconds(start) > milliseconds)
            return false;
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class ProbeApp : public wxApp {
public:
    bool OnInit() override
    {
        PrepareProcess();
        if (argc < 3)
            return Fail("usage: vitrel-bench-probe catalogue REPS | diary N REPS | write REPS SIM_LOG"
                        " | attach DELAY REPS | stall SECONDS");
        command = argv[1].utf8_string();
        if (command == "catalogue") {
            WriteCatalogue("bench-catalogue.xml");
        } else if (command == "write") {
            WriteCatalogue(CatalogueFile);  // record 0, the one written, has 250 slots
        } else if (command == "attach") {
            setenv("VITREL_SERIAL_PORTS", "bench-stick", 1);
        } else if (command == "stall") {
            std::string ports;
            const int count = argc > 3 ? std::atoi(argv[3].c_str()) : 9;
            for (int n = 1; n <= count; ++n) {
                const std::string link = "bench-device" + std::to_string(n);
                devices.push_back(std::make_unique<SimulatedDevice>(
                    link, link + ".log", std::vector<std::string> {"--other-device"}));
                ports += (n > 1 ? ":" : "") + link;
                const auto start = std::chrono::steady_clock::now();
                while (!Exists(link) && Milliseconds(start) < 5000)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            setenv("VITREL_SERIAL_PORTS", ports.c_str(), 1);
        } else if (command != "diary") {
            return Fail("unknown command");
        }
        frame = new wxVitrelFrame(nullptr, -1);
        frame->Show();
        CallAfter(&ProbeApp::Run);
        return true;
    }

private:
    bool Fail(const char* message)
    {
        std::fprintf(stderr, "vitrel-bench-probe: %s\n", message);
        exitCode = 1;
        return false;
    }

    void Run()
    {
        Settle();
        if (command == "catalogue")
            Catalogue(std::atoi(argv[2].c_str()));
        else if (command == "diary" && argc > 3)
            Diary(std::atoi(argv[2].c_str()), std::atoi(argv[3].c_str()));
        else if (command == "write" && argc > 3)
            Write(std::atoi(argv[2].c_str()), argv[3].utf8_string());
        else if (command == "attach" && argc > 3)
            Attach(std::atoi(argv[2].c_str()), std::atoi(argv[3].c_str()));
        else if (command == "stall")
            Stall(std::atoi(argv[2].c_str()));
        else
            Fail("missing arguments");
        devices.clear();
        std::fflush(stdout);
        frame->Close(true);
    }

    void Catalogue(int reps)
    {
        std::vector<double> times;
        std::vector<double> readTimes;
        for (int r = 0; r < reps; ++r) {
            // The file read and its titles shown in a Treatments page's list.
            TreatmentCatalogue catalogue;
            TreatmentsPage* page = new TreatmentsPage(frame, catalogue);
            page->Hide();
            const auto start = std::chrono::steady_clock::now();
            catalogue.Load("bench-catalogue.xml");
            page->ShowCatalogue();
            times.push_back(Milliseconds(start));
            page->Destroy();
            if (catalogue.Count() != CatalogueRecords)
                Fail("the bench catalogue did not load whole");
            // The file alone, without the list box.
            TreatmentCatalogue fileOnly;
            const auto readStart = std::chrono::steady_clock::now();
            fileOnly.Load("bench-catalogue.xml");
            readTimes.push_back(Milliseconds(readStart));
        }
        std::printf("catalogue_ms %.2f\n", Median(times));
        std::printf("catalogue_file_ms %.2f\n", Median(readTimes));
    }

    void Diary(int entries, int reps)
    {
        WriteDiary("bench-diary.xml", entries);
        Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(2);
        wxListCtrl* list = Find<wxListCtrl>("ID_LISTVIEW1");
        Settle();
        for (const bool rewritten : {false, true}) {
            std::vector<double> times;
            for (int r = 0; r < reps; ++r) {
                if (rewritten) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    WriteDiary("bench-diary.xml", entries);
                }
                const auto start = std::chrono::steady_clock::now();
                frame->Diary().RefreshHistoryList("bench-diary.xml");
                list->Update();
                wxTheApp->Yield(true);
                times.push_back(Milliseconds(start));
                if (list->GetItemCount() != entries)
                    Fail("the diary list does not show every entry");
            }
            std::printf("diary_%d_%s_ms %.2f\n", entries, rewritten ? "rewritten" : "same", Median(times));
        }
    }

    void Write(int reps, const std::string& log)
    {
        if (!WaitFor([] { return Find<wxStaticText>("ID_STATICTEXT22")->GetLabel() == "Device Attached"; },
                     10000)) {
            Fail("the simulated stick did not attach");
            return;
        }
        AnswerYes yes;
        yes.Register();
        // The Advanced Settings page's controls are made when it is first shown.
        Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(1);
        wxTextCtrl* slots = Find<wxTextCtrl>("ID_TEXTCTRL8");
        Find<wxNotebook>("ID_NOTEBOOK3")->SetSelection(0);
        wxButton* write = Find<wxButton>("ID_BUTTON9");
        std::vector<double> times;
        std::vector<double> checkTimes;
        for (int r = 0; r < reps; ++r) {
            // Back to ten slots, so each write builds the 250 boxes as a
            // user's first write of such a treatment does.
            slots->ChangeValue("10");
            wxCommandEvent enter(wxEVT_TEXT_ENTER, slots->GetId());
            enter.SetEventObject(slots);
            slots->GetEventHandler()->ProcessEvent(enter);
            Settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(500));

            wxCommandEvent click(wxEVT_BUTTON, write->GetId());
            click.SetEventObject(write);
            write->GetEventHandler()->ProcessEvent(click);
            double received = 0.0;
            if (!WaitFor([&] { return (received = PatternReceivedAt(log, yes.lastYes)) > 0.0; }, 10000)) {
                Fail("the stick never received the pattern");
                break;
            }
            times.push_back((received - yes.lastYes) * 1000.0);
            // The write is read back and compared; the outcome shows in the
            // status bar's second field.
            if (!WaitFor(
                    [&] {
                        return frame->GetStatusBar()->GetStatusText(1).StartsWith(
                            "Programme written and checked");
                    },
                    10000)) {
                Fail("the stick never confirmed the programme");
                break;
            }
            checkTimes.push_back((WallSeconds() - yes.lastYes) * 1000.0);
        }
        yes.Unregister();
        std::printf("write_ms %.1f\n", Median(times));
        std::printf("checked_ms %.1f\n", Median(checkTimes));
    }

    static bool Attached() { return Find<wxStaticText>("ID_STATICTEXT22")->GetLabel() == "Device Attached"; }

    void Attach(int delay, int reps)
    {
        constexpr int NeverMs = 5000;
        std::vector<double> times;
        for (int r = 0; r < reps; ++r) {
            // Plugged in at a different moment of the monitor's second each time.
            WaitFor([] { return false; }, 1200 + r * 317 % 1000);
            std::remove("bench-stick.log");
            double attached = 0.0;
            {
                SimulatedDevice stick("bench-stick", "bench-stick.log",
                                      {"--answer-delay", std::to_string(delay)});
                const bool found =
                    WaitFor([&] { return Exists("bench-stick") && Attached(); }, NeverMs + 1000);
                attached = WallSeconds();
                const double plugged = PluggedAt("bench-stick.log");
                times.push_back(found && plugged > 0.0
                                    ? std::min((attached - plugged) * 1000.0, 1.0 * NeverMs)
                                    : NeverMs);
            }
            if (!WaitFor([] { return !Attached(); }, 5000))
                Fail("the unplugged stick was still shown attached");
        }
        std::printf("attach_%d_ms %.1f\n", delay, Median(times));
    }

    void Stall(int seconds)
    {
        double longest = 0.0;
        auto last = std::chrono::steady_clock::now();
        wxTimer beat;
        beat.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            longest = std::max(longest, Milliseconds(last));
            last = std::chrono::steady_clock::now();
        });
        last = std::chrono::steady_clock::now();
        beat.Start(1);
        WaitFor([] { return false; }, seconds * 1000);
        beat.Stop();
        if (Attached())
            Fail("a silent device was taken for the stick");
        std::printf("stall_%zu_ms %.1f\n", devices.size(), longest);
        std::printf("tick_%zu_ms %.2f\n", devices.size(), frame->LongestDeviceTick() / 1000.0);
    }

    std::string command;
    std::vector<std::unique_ptr<SimulatedDevice>> devices;
    wxVitrelFrame* frame = nullptr;
    int exitCode = 0;

public:
    int OnExit() override { return exitCode; }
};

}  // namespace

wxIMPLEMENT_APP(ProbeApp);
