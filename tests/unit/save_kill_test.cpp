// Saves killed at random moments: a child process saves in a loop and is
// killed with SIGKILL; the file must then hold the old or the new version,
// complete, and every diary entry written before; the start-up clean-up then
// leaves no temporary file. VITREL_KILL_COUNT sets the number of kills per
// file (50 by default).
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "diary/diary_file.h"
#include "temp_folder.h"
#include "files/atomic_file.h"
#include "treatments/pattern_file.h"

namespace fs = std::filesystem;

namespace {

int KillCount()
{
    const char* text = std::getenv("VITREL_KILL_COUNT");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 50;
}

// Version v of a pattern: v in the base frequency, and a slot count and
// states that depend on v, so that a file mixing two versions shows.
PatternFileContent PatternVersion(int v)
{
    PatternFileContent content;
    content.BaseFrequency = v;
    content.NumberOfSlots = 1 + (v * 37) % FiringPattern::MaxSlots;
    content.BaseTimePeriod = 1.0 / v;
    content.SlotFrequency = v * content.NumberOfSlots;
    content.TimePeriodPerSlot = 1.0 / content.SlotFrequency;
    for (int i = 0; i < content.NumberOfSlots; ++i)
        content.Slots.push_back((i + v) % 3 == 0);
    return content;
}

bool SavePattern(const std::string& path, int v)
{
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    return WritePatternFile(path.c_str(), PatternVersion(v), document);
}

// The version the file holds, or -1 when it does not read back as one.
int PatternFileVersion(const std::string& path)
{
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    const PatternFileResult read = ReadPatternFile(path.c_str(), document);
    if (!read.ok)
        return -1;
    const int v = static_cast<int>(read.pattern.BaseFrequency);
    const PatternFileContent expected = PatternVersion(v);
    if (v < 1 || read.pattern.BaseFrequency != v || read.pattern.NumberOfSlots != expected.NumberOfSlots)
        return -1;
    for (int i = 0; i < read.pattern.NumberOfSlots; ++i) {
        if ((read.pattern.Slot[i] == 1) != expected.Slots[i])
            return -1;
    }
    return v;
}

// Entry v of the diary: a few kilobytes, so that a kill can land inside the write.
DiaryEntry DiaryVersion(int v)
{
    const std::string n = std::to_string(v);
    std::string content;
    for (int line = 0; line < 40; ++line)
        content +=
            "Entry " + n + ", line " + std::to_string(line) + ": spot 3 <left> & \"right\", \xC3\xBC.\n";
    return {"07.12.2026", "09:" + n, "Summary " + n, content};
}

bool AppendDiary(const std::string& path, int v)
{
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    return AppendHistoryEntry(document, path.c_str(), DiaryVersion(v)) == HistorySaveResult::Saved;
}

// The number of entries, when they are exactly entries 1 to that number; else -1.
int DiaryVersionCount(const std::string& path)
{
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (LoadHistory(document, path.c_str()) != HistoryLoadResult::Loaded)
        return -1;
    const std::vector<DiaryEntry> entries = ReadHistoryEntries(document);
    for (size_t i = 0; i < entries.size(); ++i) {
        const DiaryEntry expected = DiaryVersion(static_cast<int>(i) + 1);
        const DiaryEntry& got = entries[i];
        if (got.Date != expected.Date || got.Time != expected.Time || got.Summary != expected.Summary
            || got.Content != expected.Content)
            return -1;
    }
    return static_cast<int>(entries.size());
}

struct KilledSave {
    const char* name;
    const char* file;  // relative to the test's folder
    bool (*save)(const std::string& path, int version);
    int (*version)(const std::string& path);
    // Start-up removes leftovers beside the program's own files; an export
    // can be anywhere, and its leftovers are only counted (then removed here).
    bool cleanedAtStartUp;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const KilledSave& save, std::ostream* out)
{
    *out << save.name;
}

class SaveKill : public ::testing::TestWithParam<KilledSave> { };

// Saves versions from `first` on, for ever, telling the parent through `announce`
// which version it is about to save.
[[noreturn]] void SaveForever(const KilledSave& target, const std::string& path, int first, int announce)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (int v = first;; ++v) {
        if (write(announce, &v, sizeof v) != sizeof v || !target.save(path, v))
            _exit(1);
    }
}

// The last version the child announced, once it is dead; 0 when none.
int LastAnnounced(int fd)
{
    int last = 0, v = 0;
    while (read(fd, &v, sizeof v) == sizeof v)
        last = v;
    return last;
}

TEST_P(SaveKill, TheFileIsTheOldOrTheNewVersionAfterEveryKill)
{
    const KilledSave& target = GetParam();
    TempFolder folder;
    ASSERT_TRUE(folder.Made());
    const std::string path = folder.PathOf(target.file);
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(target.save(path, 1));

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
    const int kills = KillCount();
    int version = 1, keptOld = 0, tookNew = 0, leftovers = 0;
    for (int round = 0; round < kills; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            SaveForever(target, path, version + 1, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        const int announced = LastAnnounced(pipeEnds[0]);
        close(pipeEnds[0]);

        // Killed before it announced anything, the child had not begun a save.
        const int found = target.version(path);
        const bool old = found == version;
        ASSERT_TRUE(announced == 0 ? old : found == announced || found == announced - 1)
            << target.file << " holds version " << found << " after a kill while saving " << announced;
        (old ? keptOld : tookNew) += 1;
        version = found;

        // What a killed save left behind, and what the next start-up's clean-up leaves.
        const fs::path folderOfFile = fs::path(path).parent_path();
        const auto files = [&] {
            return std::distance(fs::directory_iterator(folderOfFile), fs::directory_iterator());
        };
        leftovers += static_cast<int>(files()) - 1;
        if (target.cleanedAtStartUp) {
            RemoveLeftoverTemporaries(path.c_str());
        } else {
            for (const auto& entry : fs::directory_iterator(folderOfFile))
                if (entry.path() != path)
                    fs::remove(entry.path());
        }
        ASSERT_EQ(files(), 1) << "a temporary file is left beside " << target.file;
    }
    std::cout << target.file << ": " << kills << " kills, " << tookNew << " found a version the child saved, "
              << keptOld << " the one it started from, " << leftovers << " left a temporary file; " << version
              << " versions saved\n";
}

INSTANTIATE_TEST_SUITE_P(
    EverySave, SaveKill,
    ::testing::Values(
        KilledSave {"AdvancedSettings", "AdvancedSettings.xml", SavePattern, PatternFileVersion, true},
        KilledSave {"Export", "exports/Knee pattern.xml", SavePattern, PatternFileVersion, false},
        KilledSave {"DiaryAppend", "DiaryHistoryDB.xml", AppendDiary, DiaryVersionCount, true}),
    [](const ::testing::TestParamInfo<KilledSave>& info) { return std::string(info.param.name); });

}  // namespace
