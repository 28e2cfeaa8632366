// The pattern file: format, what the reader refuses, and atomic saving.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "scoped_locale.h"
#include "temp_folder.h"
#include "files/atomic_file.h"
#include "treatments/pattern_file.h"

namespace fs = std::filesystem;

namespace {

class PatternFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Made()); }

    std::string PathOf(const std::string& name) const { return folder.PathOf(name); }
    void Write(const std::string& name, const std::string& text) const { folder.Write(name, text); }
    std::string Read(const std::string& name) const { return folder.Read(name); }
    int FilesInDir() const
    {
        return static_cast<int>(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()));
    }
    PatternFileResult ReadText(const std::string& text)
    {
        Write("p.xml", text);
        return ReadPatternFile(PathOf("p.xml").c_str(), document);
    }

    TempFolder folder;
    tinyxml2::XMLDocument document {true, tinyxml2::PRESERVE_WHITESPACE};
};

PatternFileContent EightSlots()
{
    PatternFileContent content;
    content.BaseFrequency = 3;
    content.BaseTimePeriod = 0.333333;
    content.SlotFrequency = 24;
    content.TimePeriodPerSlot = 0.041667;
    content.NumberOfSlots = 8;
    content.Slots = {true, false, true, true, false, false, true, false};
    return content;
}

const ReadBackCheck AnyText = [](const std::string&) { return true; };

// The real file system, with each step of a save logged; a sync logs how many
// bytes the file then holds on disk.
class RecordingFileSystem : public SaveFileSystem {
public:
    std::FILE* CreateTemporary(const std::string& target, std::string& temp) override
    {
        calls.push_back("create");
        return SaveFileSystem::CreateTemporary(target, temp);
    }
    bool Write(std::FILE* file, const std::string& text) override
    {
        calls.push_back("write");
        return SaveFileSystem::Write(file, text);
    }
    bool Sync(std::FILE* file) override
    {
        const bool synced = SaveFileSystem::Sync(file);
        struct stat info;
        fstat(fileno(file), &info);
        calls.push_back("sync " + std::to_string(info.st_size));
        return synced;
    }
    bool Close(std::FILE* file) override
    {
        calls.push_back("close");
        return SaveFileSystem::Close(file);
    }
    bool Rename(const std::string& temp, const std::string& target) override
    {
        calls.push_back("rename");
        return SaveFileSystem::Rename(temp, target);
    }
    bool SyncFolder(const std::string& target) override
    {
        calls.push_back("sync folder");
        return SaveFileSystem::SyncFolder(target);
    }

    std::vector<std::string> calls;
};

std::string File(const std::string& body)
{
    return "<VitrelAdvancedSettings>\n" + body + "</VitrelAdvancedSettings>\n";
}

TEST_F(PatternFile, RealsHaveTheLibrarysTextUnderAnyNumericLocale)
{
    // The reals must read exactly as XMLElement::SetText(double) writes them
    // in the C locale.
    const PatternFileContent content = EightSlots();
    std::string expected;
    for (double value : {content.BaseFrequency, content.BaseTimePeriod, content.SlotFrequency,
                         content.TimePeriodPerSlot, content.NumberOfSlots}) {
        tinyxml2::XMLDocument scratch;
        tinyxml2::XMLElement* element = scratch.NewElement("x");
        element->SetText(value);
        expected += std::string(element->GetText()) + "\n";
    }

    {
        const ScopedLocale german(LC_NUMERIC, GermanLocale);
        if (!german.Active())
            GTEST_SKIP() << "locale " << GermanLocale << " is not installed";
        ASSERT_TRUE(WritePatternFile(PathOf("p.xml").c_str(), content, document));
    }

    tinyxml2::XMLDocument saved;
    ASSERT_EQ(saved.LoadFile(PathOf("p.xml").c_str()), tinyxml2::XML_SUCCESS);
    std::string found;
    for (const char* name :
         {"BaseFrequency", "BaseTimePeriod", "SlotFrequency", "TimePeriodPerSlot", "NumberOfSlots"})
        found += std::string(saved.RootElement()->FirstChildElement(name)->GetText()) + "\n";
    EXPECT_EQ(found, expected);
    EXPECT_NE(found.find("0.33333299999999999"), std::string::npos);
}

TEST_F(PatternFile, ReadBackTakesBaseFrequencyCountAndStates)
{
    PatternFileContent content = EightSlots();
    // Derived values that disagree with the base frequency are not used.
    content.BaseTimePeriod = 9;
    content.SlotFrequency = 1;
    content.TimePeriodPerSlot = 5;

    // Under a German numeric locale where one is installed.
    PatternFileResult result;
    {
        const ScopedLocale german(LC_NUMERIC, GermanLocale);
        ASSERT_TRUE(WritePatternFile(PathOf("p.xml").c_str(), content, document));
        result = ReadPatternFile(PathOf("p.xml").c_str(), document);
    }

    ASSERT_TRUE(result.ok) << PatternFileRefusalText(result.refusal);
    EXPECT_EQ(result.pattern.BaseFrequency, 3);
    EXPECT_EQ(result.pattern.NumberOfSlots, 8);
    EXPECT_DOUBLE_EQ(result.pattern.BaseTimePeriod, 1.0 / 3);
    EXPECT_DOUBLE_EQ(result.pattern.SlotFrequency, 24);
    EXPECT_DOUBLE_EQ(result.pattern.TimePeriodPerSlot, 1.0 / 24);
    const int expected[8] = {1, 0, 1, 1, 0, 0, 1, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(result.pattern.Slot[i], expected[i]) << "slot " << i;
}

TEST_F(PatternFile, SlotTextsCountByTheirFirstCharacterAndExtraSlotsAreIgnored)
{
    const PatternFileResult result =
        ReadText(File("<BaseFrequency> 2.5 </BaseFrequency><NumberOfSlots>5</NumberOfSlots>"
                      "<Slot>1</Slot><Slot>0</Slot><Slot/><Slot>10</Slot><Slot>2</Slot><Slot>1</Slot>"));
    ASSERT_TRUE(result.ok) << PatternFileRefusalText(result.refusal);
    EXPECT_EQ(result.pattern.NumberOfSlots, 5);
    EXPECT_EQ(result.pattern.BaseFrequency, 2.5);
    const int expected[6] = {1, 0, 0, 1, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(result.pattern.Slot[i], expected[i]) << "slot " << i;
}

TEST_F(PatternFile, FilesThatCannotBeUsedAreRefusedWithTheReason)
{
    const std::string slots = "<Slot>1</Slot><Slot>1</Slot>";
    const auto body = [&](const std::string& baseFrequency, const std::string& count) {
        return File("<BaseFrequency>" + baseFrequency + "</BaseFrequency><NumberOfSlots>" + count
                    + "</NumberOfSlots>" + slots);
    };
    const std::string notAbove0 = "its BaseFrequency is not a number above zero";
    const std::string badCount = "its NumberOfSlots is not a whole number from 1 to 250";
    const struct {
        std::string content;
        std::string reason;
    } cases[] = {
        {"", "it is empty"},
        {"<VitrelAdvancedSettings><BaseFrequency>", "it is not a well-formed XML file"},
        {"<Pattern><BaseFrequency>2</BaseFrequency></Pattern>", "it has no VitrelAdvancedSettings element"},
        {File("<NumberOfSlots>2</NumberOfSlots>" + slots), "it has no BaseFrequency value"},
        {File("<BaseFrequency>2</BaseFrequency>" + slots), "it has no NumberOfSlots value"},
        {body("2", "0"), badCount},
        {body("2", "251"), badCount},
        {body("2", "2.5"), badCount},
        {body("0", "2"), notAbove0},
        {body("-3", "2"), notAbove0},
        {body("nan", "2"), notAbove0},
        {body("inf", "2"), notAbove0},
        {body("fast", "2"), notAbove0},
        {body("2,5", "2"), notAbove0},
        {File("<BaseFrequency/><NumberOfSlots>2</NumberOfSlots>" + slots), notAbove0},
        {body("1e-320", "2"), "its BaseFrequency is too large or too small to give a usable slot timing"},
    };
    for (const auto& c : cases) {
        const PatternFileResult result = ReadText(c.content);
        EXPECT_FALSE(result.ok) << c.content;
        EXPECT_EQ(std::string(PatternFileRefusalText(result.refusal)), c.reason) << c.content;
    }
    const PatternFileResult missing = ReadPatternFile(PathOf("missing.xml").c_str(), document);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(std::string(PatternFileRefusalText(missing.refusal)), "it does not exist");
}

TEST_F(PatternFile, SlotsBeyondTheLastSlotElementAreSilent)
{
    const PatternFileResult result = ReadText(
        File("<BaseFrequency>2</BaseFrequency><NumberOfSlots>4</NumberOfSlots><Slot>1</Slot><Slot>1</Slot>"));
    ASSERT_TRUE(result.ok) << PatternFileRefusalText(result.refusal);
    EXPECT_EQ(result.pattern.NumberOfSlots, 4);
    const int expected[5] = {1, 1, 0, 0, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(result.pattern.Slot[i], expected[i]) << "slot " << i;
}

TEST_F(PatternFile, SaveSyncsTheDataBeforeTheRenameAndTheFolderAfterIt)
{
    tinyxml2::XMLElement* root = document.NewElement("VitrelAdvancedSettings");
    document.InsertFirstChild(root);
    root->InsertNewChildElement("Slot")->SetText(1);
    RecordingFileSystem recorder;
    ASSERT_TRUE(SaveDocumentAtomically(document, PathOf("p.xml").c_str(), AnyText, recorder));
    const std::string saved = Read("p.xml");
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string> {"create", "write", "sync " + std::to_string(saved.size()), "close",
                                         "rename", "sync folder"}));
}

TEST_F(PatternFile, ContentThatWouldNotReadBackIsNeverSaved)
{
    struct Case {
        const char* what;
        double baseFrequency;
        double numberOfSlots;
        size_t slots;
    };
    const Case cases[] = {
        {"no base frequency", std::nan(""), 8, 8},
        {"base frequency zero", 0, 8, 8},
        {"count beyond the slots a file may hold", 300, 300, 300},
        {"fractional count", 2.5, 2.5, 3},
    };
    for (const Case& c : cases) {
        Write("p.xml", "kept");
        PatternFileContent content = EightSlots();
        content.BaseFrequency = c.baseFrequency;
        content.NumberOfSlots = c.numberOfSlots;
        content.Slots.assign(c.slots, true);
        EXPECT_FALSE(WritePatternFile(PathOf("p.xml").c_str(), content, document)) << c.what;
        EXPECT_EQ(Read("p.xml"), "kept") << c.what;
        EXPECT_EQ(FilesInDir(), 1) << c.what;
    }
}

TEST_F(PatternFile, UnreadableFileIsMovedAsideUnderANameThatSaysWhatAndWhen)
{
    std::tm when {};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 15;
    for (const char* expected : {"AdvancedSettings.unreadable-20261207-091500.xml",
                                 "AdvancedSettings.unreadable-20261207-091500-1.xml"}) {
        Write("AdvancedSettings.xml", expected);
        EXPECT_EQ(MoveUnreadableAside(PathOf("AdvancedSettings.xml").c_str(), when), PathOf(expected));
        EXPECT_EQ(Read(expected), expected);
        EXPECT_FALSE(fs::exists(PathOf("AdvancedSettings.xml")));
    }
    EXPECT_EQ(MoveUnreadableAside(PathOf("AdvancedSettings.xml").c_str(), when), "");
}

TEST_F(PatternFile, LeftoverTemporariesOfKilledSavesAreRemovedAndNothingElse)
{
    // What a save killed before its rename leaves behind.
    std::string temp;
    std::FILE* file = DiskFileSystem().CreateTemporary(PathOf("AdvancedSettings.xml"), temp);
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    Write(".AdvancedSettings.xml.a1B2c3", "old");
    const char* const kept[] = {"AdvancedSettings.xml",          ".AdvancedSettings.xml.a1B2c",
                                ".AdvancedSettings.xml.a1B2c3d", ".AdvancedSettings.xml.a1B2-3",
                                "AdvancedSettings.xml.a1B2c3",   ".DiaryHistoryDB.xml.a1B2c3",
                                ".AdvancedSettings.xmlXa1B2c3"};
    for (const char* name : kept)
        Write(name, "mine");
    RemoveLeftoverTemporaries(PathOf("AdvancedSettings.xml").c_str());
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_FALSE(fs::exists(PathOf(".AdvancedSettings.xml.a1B2c3")));
    for (const char* name : kept)
        EXPECT_EQ(Read(name), "mine") << name;
}

TEST_F(PatternFile, SaveReplacesTheWholeFileAndKeepsItsPermissions)
{
    Write("p.xml", std::string(5000, 'x'));
    chmod(PathOf("p.xml").c_str(), 0640);
    ASSERT_TRUE(WritePatternFile(PathOf("p.xml").c_str(), EightSlots(), document));
    EXPECT_EQ(Read("p.xml").rfind("<VitrelAdvancedSettings>\n", 0), 0u);
    EXPECT_EQ(Read("p.xml").find('x'), std::string::npos);
    EXPECT_EQ(FilesInDir(), 1) << "a temporary file was left behind";
#ifdef _WIN32
    GTEST_SKIP() << "the permissions part: Windows files have no POSIX permission bits";
#endif
    struct stat info;
    ASSERT_EQ(stat(PathOf("p.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(PatternFile, FailedSaveLeavesNothingBehind)
{
    // A folder that does not exist, and a target that cannot be replaced.
    EXPECT_FALSE(WritePatternFile(PathOf("missing/p.xml").c_str(), EightSlots(), document));
    fs::create_directory(PathOf("taken"));
    Write("taken/keep", "kept");
    EXPECT_FALSE(SaveDocumentAtomically(document, PathOf("taken").c_str(), AnyText));
    EXPECT_EQ(Read("taken/keep"), "kept");
    EXPECT_EQ(FilesInDir(), 1) << "a temporary file was left behind";
    EXPECT_FALSE(SaveDocumentAtomically(document, "", AnyText));
    EXPECT_FALSE(SaveDocumentAtomically(document, PathOf("").c_str(), AnyText));
}

}  // namespace

#ifndef _WIN32
namespace {

// What holds the settings file's name but is no file is refused as one that
// holds something: the exit save must not replace it.
TEST_F(PatternFile, AFolderOrSpecialFileIsRefusedAndKept)
{
    fs::create_directory(PathOf("folder.xml"));
    ASSERT_EQ(mkfifo(PathOf("fifo.xml").c_str(), 0600), 0);
    for (const char* name : {"folder.xml", "fifo.xml"}) {
        SCOPED_TRACE(name);
        const PatternFileResult result = ReadPatternFile(PathOf(name).c_str(), document);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.hasContent);
        EXPECT_TRUE(result.notRegular);
        EXPECT_EQ(std::string(PatternFileRefusalText(result.refusal)),
                  "it is a folder or a special file, not an ordinary file");
    }
}

TEST_F(PatternFile, ASaveThroughALinkReplacesTheLinkedFile)
{
    fs::create_directory(PathOf("real"));
    Write("real/settings.xml", "old");
    fs::create_symlink("real/settings.xml", PathOf("AdvancedSettings.xml"));
    ASSERT_TRUE(WritePatternFile(PathOf("AdvancedSettings.xml").c_str(), EightSlots(), document));
    EXPECT_TRUE(fs::is_symlink(PathOf("AdvancedSettings.xml")));
    const PatternFileResult result = ReadPatternFile(PathOf("real/settings.xml").c_str(), document);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pattern.NumberOfSlots, 8);
    // Moving an unreadable file aside through the link moves the file, not the link.
    std::tm when {};
    const std::string aside = MoveUnreadableAside(PathOf("AdvancedSettings.xml").c_str(), when);
    EXPECT_EQ(fs::path(aside).parent_path(), fs::path(PathOf("real")));
    EXPECT_TRUE(fs::is_symlink(PathOf("AdvancedSettings.xml")));
}

// A rename cannot cross file systems: the temporary is made beside the file.
TEST_F(PatternFile, ASaveThroughALinkFromAnotherFileSystemWorks)
{
    struct stat here, there;
    ASSERT_EQ(stat(folder.path.c_str(), &here), 0);
    std::string link;
    for (const std::string& other :
         {std::string("/dev/shm"), std::string("/tmp"), fs::current_path().string()})
        if (link.empty() && stat(other.c_str(), &there) == 0 && there.st_dev != here.st_dev)
            link = other + "/vitrel-link-" + std::to_string(getpid()) + ".xml";
    if (link.empty())
        GTEST_SKIP() << "no second file system at hand";
    Write("settings.xml", "old");
    fs::create_symlink(PathOf("settings.xml"), link);
    EXPECT_TRUE(WritePatternFile(link.c_str(), EightSlots(), document));
    fs::remove(link);
    EXPECT_TRUE(ReadPatternFile(PathOf("settings.xml").c_str(), document).ok);
}

// The mode of a new file is asked of the umask, which must then be put back.
TEST_F(PatternFile, ANewFileGetsTheUmaskAndLeavesItAsItWas)
{
    const mode_t user = umask(027);
    const bool saved = WritePatternFile(PathOf("new.xml").c_str(), EightSlots(), document);
    EXPECT_EQ(umask(user), 027u);
    ASSERT_TRUE(saved);
    EXPECT_EQ(fs::status(PathOf("new.xml")).permissions(), fs::perms(0640));
}

}  // namespace
#endif
