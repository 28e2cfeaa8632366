// The pattern file: format, what the reader refuses, and atomic saving.
#include <sys/stat.h>
#include <unistd.h>

#include "scoped_locale.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "temp_folder.h"
#include "treatments/atomic_file.h"
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
        return static_cast<int>(
            std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()));
    }
    PatternFileResult ReadText(const std::string& text)
    {
        Write("p.xml", text);
        return ReadPatternFile(PathOf("p.xml").c_str(), document);
    }

    TempFolder folder;
    tinyxml2::XMLDocument document{true, tinyxml2::PRESERVE_WHITESPACE};
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
        const ScopedLocale german(LC_NUMERIC, "de_DE.UTF-8");
        if (!german.Active())
            GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
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
        const ScopedLocale german(LC_NUMERIC, "de_DE.UTF-8");
        ASSERT_TRUE(WritePatternFile(PathOf("p.xml").c_str(), content, document));
        result = ReadPatternFile(PathOf("p.xml").c_str(), document);
    }

    ASSERT_TRUE(result.ok) << result.reason;
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
    const PatternFileResult result = ReadText(File(
        "<BaseFrequency> 2.5 </BaseFrequency><NumberOfSlots>5</NumberOfSlots>"
        "<Slot>1</Slot><Slot>0</Slot><Slot/><Slot>10</Slot><Slot>2</Slot><Slot>1</Slot>"));
    ASSERT_TRUE(result.ok) << result.reason;
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
        {body("2", "3"), "it holds 2 Slot elements but its NumberOfSlots is 3"},
    };
    for (const auto& c : cases) {
        const PatternFileResult result = ReadText(c.content);
        EXPECT_FALSE(result.ok) << c.content;
        EXPECT_EQ(result.reason, c.reason) << c.content;
    }
    const PatternFileResult missing = ReadPatternFile(PathOf("missing.xml").c_str(), document);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.reason, "it does not exist or cannot be opened");
}

TEST_F(PatternFile, SaveReplacesTheWholeFileAndKeepsItsPermissions)
{
    Write("p.xml", std::string(5000, 'x'));
    chmod(PathOf("p.xml").c_str(), 0640);
    ASSERT_TRUE(WritePatternFile(PathOf("p.xml").c_str(), EightSlots(), document));
    EXPECT_EQ(Read("p.xml").rfind("<VitrelAdvancedSettings>\n", 0), 0u);
    EXPECT_EQ(Read("p.xml").find('x'), std::string::npos);
    struct stat info;
    ASSERT_EQ(stat(PathOf("p.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesInDir(), 1) << "a temporary file was left behind";
}

TEST_F(PatternFile, FailedSaveLeavesNothingBehind)
{
    // A folder that does not exist, and a target that cannot be replaced.
    EXPECT_FALSE(WritePatternFile(PathOf("missing/p.xml").c_str(), EightSlots(), document));
    fs::create_directory(PathOf("taken"));
    Write("taken/keep", "kept");
    EXPECT_FALSE(SaveDocumentAtomically(document, PathOf("taken").c_str()));
    EXPECT_EQ(Read("taken/keep"), "kept");
    EXPECT_EQ(FilesInDir(), 1) << "a temporary file was left behind";
    EXPECT_FALSE(SaveDocumentAtomically(document, ""));
    EXPECT_FALSE(SaveDocumentAtomically(document, PathOf("").c_str()));
}

}  // namespace
