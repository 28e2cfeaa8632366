// Reading the treatments catalogue: what is taken from a Treatment element,
// the spot filter, the table's capacity, and files that are not as expected.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scoped_locale.h"
#include "temp_folder.h"

#include "treatments/treatment_catalogue.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string CatalogueText(const std::string& treatments)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VitrelTreatmentsList>\n" + treatments
           + "</VitrelTreatmentsList>\n";
}

// A usable Treatment with a two-slot pattern (on, off).
std::string Treatment(const std::string& title, int spot = 0)
{
    return "<Treatment><Title>" + title + "</Title><BodySpot>" + std::to_string(spot)
           + "</BodySpot><BaseFrequency>2</BaseFrequency><NumberOfSlots>2</NumberOfSlots>"
             "<Slot>1</Slot><Slot>0</Slot></Treatment>\n";
}

// Treatments T1 .. Tcount with `slots` slots each, every third one on, laid
// out one element a line as in the delivered catalogue.
std::string ManyTreatments(int count, int slots)
{
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "  <Treatment>\n    <Title>T" + std::to_string(i) + "</Title>\n    <BodySpot>"
                + std::to_string(i % 25) + "</BodySpot>\n    <BaseFrequency>1.200000</BaseFrequency>\n"
                + "    <NumberOfSlots>" + std::to_string(slots) + "</NumberOfSlots>\n";
        for (int s = 0; s < slots; ++s)
            text += s % 3 == 0 ? "    <Slot>1</Slot>\n" : "    <Slot>2</Slot>\n";
        text += "  </Treatment>\n";
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class CatalogueFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Made()); }

    std::string Write(const std::string& content, const char* name = "VitrelTreatmentsList.xml") const
    {
        return folder.Write(name, content);
    }

    // Loads the file and returns the diagnostic lines it printed.
    std::vector<std::string> LoadReporting(const std::string& path, int expectedAdded)
    {
        ::testing::internal::CaptureStdout();
        const int added = catalogue.Load(path.c_str());
        std::vector<std::string> lines = Lines(::testing::internal::GetCapturedStdout());
        EXPECT_EQ(added, expectedAdded);
        return lines;
    }

    TempFolder folder;
    TreatmentCatalogue catalogue;
};

TEST_F(CatalogueFile, TakesTheFirstNumberOfSlotsSlotElementsAndOnlyOneFires)
{
    LoadReporting(
        Write(CatalogueText(
            "<Treatment><Title>Slots</Title><BodySpot>0</BodySpot><BaseFrequency>5</BaseFrequency>"
            "<NumberOfSlots>6</NumberOfSlots><Slot>1</Slot><Note>between</Note><Slot>2</Slot>"
            "<Slot>10</Slot><Slot></Slot><Slot> 1 </Slot><Slot>on</Slot><Slot>1</Slot><Slot>1</Slot>"
            "</Treatment>\n")),
        1);
    const FiringPattern& pattern = catalogue.Record(0).Pattern;
    EXPECT_EQ(pattern.NumberOfSlots, 6);
    EXPECT_THAT(std::vector<int>(pattern.Slot, pattern.Slot + 8), ElementsAre(1, 0, 0, 0, 1, 0, 0, 0));
}

TEST_F(CatalogueFile, FindsElementsByNameInAnyOrderAndSkipsOthers)
{
    LoadReporting(
        Write(CatalogueText("<Comment>not a treatment</Comment>\n"
                            "<Treatment><Slot>1</Slot><NumberOfSlots>1</NumberOfSlots>"
                            "<TimePeriodPerSlot>0.4</TimePeriodPerSlot><Extra>x</Extra>"
                            "<SlotFrequency>2.5</SlotFrequency><BaseTimePeriod>0.4</BaseTimePeriod>"
                            "<BaseFrequency>2.5</BaseFrequency><NightTreatment>Night</NightTreatment>"
                            "<DayTreatment>Day</DayTreatment><BodySpot>17</BodySpot>"
                            "<Description>About it</Description><Title>Reversed</Title>"
                            "<Title>Second title</Title></Treatment>\n")),
        1);
    const TreatmentRecord& record = catalogue.Record(0);
    EXPECT_EQ(record.Title, "Reversed");
    EXPECT_EQ(record.Description, "About it");
    EXPECT_EQ(record.BodySpot, 17);
    EXPECT_EQ(record.DayTreatment, "Day");
    EXPECT_EQ(record.NightTreatment, "Night");
    EXPECT_EQ(record.Pattern.BaseFrequency, 2.5);
    EXPECT_EQ(record.Pattern.BaseTimePeriod, 0.4);
    EXPECT_EQ(record.Pattern.SlotFrequency, 2.5);
    EXPECT_EQ(record.Pattern.TimePeriodPerSlot, 0.4);
    EXPECT_EQ(record.Pattern.Slot[0], 1);
}

TEST_F(CatalogueFile, KeepsTextsByteForByte)
{
    LoadReporting(Write(CatalogueText(
                      Treatment(u8"Schulter – sanfter Rhythmus", 3) + Treatment(u8"Genou : rythme doux", 14)
                      + u8"<Treatment><Title>Relajación nocturna</Title><Description>  two  spaces\n"
                        "next line &amp; &#x2013;</Description><BodySpot>3</BodySpot><BaseFrequency>1"
                        "</BaseFrequency><NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></Treatment>\n")),
                  3);
    std::vector<std::string> spotThree;
    for (int index : catalogue.Matching(4))
        spotThree.push_back(catalogue.Record(index).Title);
    EXPECT_THAT(spotThree, ElementsAre(u8"Schulter – sanfter Rhythmus", u8"Relajación nocturna"));
    EXPECT_EQ(catalogue.Record(1).Title, u8"Genou : rythme doux");
    EXPECT_EQ(catalogue.Record(2).Description, u8"  two  spaces\nnext line & –");
}

TEST_F(CatalogueFile, LongTextsAreCutAtACharacterAndLegacyTextIsDecoded)
{
    const std::string e = "\xc3\xa9";  // two bytes, one character
    const std::string zwsp = "\xe2\x80\x8b";
    std::string longTitle, longDescription;
    for (int i = 0; i < 150; ++i)
        longTitle += "a" + e;
    for (int i = 0; i < 6000; ++i)
        longDescription += e + "b c";
    const std::string y100(100, 'y');
    const struct {
        std::string title, description;
        std::string expectedTitle, expectedDescription;
    } cases[] = {
        {longTitle, longDescription, longTitle.substr(0, 300), longDescription.substr(0, 25000)},
        // A long run without white space gets a break opportunity every 100 characters.
        {std::string(250, 'x'), std::string(250, 'y'), std::string(200, 'x'),
         y100 + zwsp + y100 + zwsp + std::string(50, 'y')},
        // Windows-1252 text from older tools.
        {"Caf\xe9 \x80", "\x93quoted\x94", "Caf" + e + " \xe2\x82\xac", "\xe2\x80\x9cquoted\xe2\x80\x9d"},
    };
    std::string treatments;
    for (const auto& c : cases)
        treatments += "<Treatment><Title>" + c.title + "</Title><Description>" + c.description
                      + "</Description><BodySpot>0</BodySpot><BaseFrequency>2</BaseFrequency>"
                        "<NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></Treatment>\n";
    LoadReporting(Write(CatalogueText(treatments)), 3);
    // Compared without printing texts of many kilobytes.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(catalogue.Record(i).Title == cases[i].expectedTitle) << "treatment " << i;
        EXPECT_TRUE(catalogue.Record(i).Description == cases[i].expectedDescription) << "treatment " << i;
    }
}

TEST_F(CatalogueFile, ReadsNumbersWithAPointWhateverTheLocale)
{
    const ScopedLocale german(LC_NUMERIC, GermanLocale);
    if (!german.Active())
        GTEST_SKIP() << "locale " << GermanLocale << " is not installed";
    const std::string path = Write(CatalogueText(
        "<Treatment><Title>Point</Title><BodySpot>0</BodySpot><BaseFrequency>2.5</BaseFrequency>"
        "<NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></Treatment>\n"
        "<Treatment><Title>Comma</Title><BodySpot>0</BodySpot><BaseFrequency>2,5</BaseFrequency>"
        "<NumberOfSlots>1</NumberOfSlots><Slot>1</Slot></Treatment>\n"));
    LoadReporting(path, 1);  // the comma is not taken for a decimal point either
    EXPECT_EQ(catalogue.Record(0).Pattern.BaseFrequency, 2.5);
}

TEST_F(CatalogueFile, SpotSelectionPicksRecordsInCatalogueOrder)
{
    LoadReporting(Write(CatalogueText(Treatment("g1", 0) + Treatment("s3a", 3) + Treatment("g2", 0)
                                      + Treatment("s1", 1) + Treatment("s3b", 3) + Treatment("s24", 24))),
                  6);
    EXPECT_THAT(catalogue.Matching(0), ElementsAre(0, 1, 2, 3, 4, 5));  // All
    EXPECT_THAT(catalogue.Matching(1), ElementsAre(0, 2));  // General Treatments
    EXPECT_THAT(catalogue.Matching(4), ElementsAre(1, 4));  // Spot 3
    EXPECT_THAT(catalogue.Matching(25), ElementsAre(5));  // Spot 24
    EXPECT_THAT(catalogue.Matching(3), IsEmpty());  // Spot 2
    std::vector<std::string> titles {"left from before"};
    catalogue.FillTitleList(4, titles);
    EXPECT_THAT(titles, ElementsAre("s3a", "s3b"));  // what the list box shows for Spot 3
}

TEST_F(CatalogueFile, FillsTheTableExactlyAndIgnoresTreatmentsBeyondIt)
{
    // The first Treatment is unusable and takes no room in the table.
    const std::vector<std::string> lines = LoadReporting(
        Write(CatalogueText("<Treatment><BodySpot>0</BodySpot></Treatment>\n" + ManyTreatments(1001, 3))),
        1000);
    EXPECT_THAT(lines, ElementsAre("Treatment 1 skipped: no Title",
                                   "Treatment 1002 and later ignored: the table holds 1000 treatments"));
    EXPECT_EQ(catalogue.Count(), 1000);
    EXPECT_EQ(catalogue.Record(0).Title, "T1");
    EXPECT_EQ(catalogue.Record(999).Title, "T1000");
    EXPECT_EQ(catalogue.Matching(0).size(), 1000u);

    LoadReporting(Write(CatalogueText(Treatment("late")), "more.xml"), 0);
    EXPECT_EQ(catalogue.Count(), 1000);
}

// The table grows with each file: a second file's records follow the
// first's, and every record keeps its index and content.
TEST_F(CatalogueFile, ASecondFileAppendsAfterTheRecordsOfTheFirst)
{
    LoadReporting(Write(CatalogueText(ManyTreatments(3, 250))), 3);
    LoadReporting(Write(CatalogueText(Treatment("late", 24) + Treatment("later")), "more.xml"), 2);
    ASSERT_EQ(catalogue.Count(), 5);
    const char* titles[] = {"T1", "T2", "T3", "late", "later"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(catalogue.Record(i).Title, titles[i]) << i;
    EXPECT_EQ(catalogue.Record(2).Pattern.NumberOfSlots, 250);
    EXPECT_EQ(catalogue.Record(2).Pattern.Slot[248], 0);
    EXPECT_EQ(catalogue.Record(2).Pattern.Slot[249], 1);
    EXPECT_EQ(catalogue.Record(3).Pattern.NumberOfSlots, 2);
    EXPECT_EQ(catalogue.Record(3).BodySpot, 24);
}

TEST_F(CatalogueFile, AFileThatCannotBeUsedGivesAnEmptyCatalogue)
{
    const std::string missing = folder.PathOf("absent.xml");
    const std::string broken = Write("<VitrelTreatmentsList><Treatment><Title>x</Title>", "broken.xml");
    const std::string empty = Write("", "empty.xml");
    const std::string otherRoot =
        Write("<?xml version=\"1.0\"?><TreatmentsList>" + Treatment("x") + "</TreatmentsList>", "other.xml");
    for (const std::string& path : {missing, broken, empty, otherRoot}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(LoadReporting(path, 0).size(), 1u);
    }
    EXPECT_EQ(catalogue.Load(nullptr), 0);
    EXPECT_EQ(catalogue.Count(), 0);
    EXPECT_THAT(catalogue.Matching(0), IsEmpty());
}

TEST_F(CatalogueFile, SkipsEachUnusableTreatmentWithOneLineAndKeepsItsNeighbours)
{
    const std::string slots = "<NumberOfSlots>2</NumberOfSlots><Slot>1</Slot><Slot>1</Slot>";
    const std::string title = "<Title>Bad</Title><BodySpot>0</BodySpot>";
    const std::string base = "<BaseFrequency>2</BaseFrequency>";
    std::string slots251;
    for (int i = 0; i < 251; ++i)
        slots251 += "<Slot>1</Slot>";
    // The Treatment's content, and the element the diagnostic line names.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<BodySpot>0</BodySpot>" + base + slots, "Title"},
        {"<Title></Title><BodySpot>0</BodySpot>" + base + slots, "Title"},
        {"<Title>Bad</Title>" + base + slots, "BodySpot"},
        {"<Title>Bad</Title><BodySpot>25</BodySpot>" + base + slots, "BodySpot"},
        {"<Title>Bad</Title><BodySpot>-1</BodySpot>" + base + slots, "BodySpot"},
        {"<Title>Bad</Title><BodySpot>3.0</BodySpot>" + base + slots, "BodySpot"},
        {title + slots, "BaseFrequency"},
        {title + "<BaseFrequency>0</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>-2</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>fast</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>2,5</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>inf</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>nan</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>1e400</BaseFrequency>" + slots, "BaseFrequency"},
        {title + "<BaseFrequency>1e-320</BaseFrequency>" + slots, "BaseFrequency"},
        {title + base + "<Slot>1</Slot>", "NumberOfSlots"},
        {title + base + "<NumberOfSlots>0</NumberOfSlots><Slot>1</Slot>", "NumberOfSlots"},
        {title + base + "<NumberOfSlots>251</NumberOfSlots>" + slots251, "NumberOfSlots"},
        {title + base + "<NumberOfSlots>-3</NumberOfSlots><Slot>1</Slot>", "NumberOfSlots"},
        {title + base + "<NumberOfSlots>1.5</NumberOfSlots><Slot>1</Slot>", "NumberOfSlots"},
        {title + base + "<NumberOfSlots>ten</NumberOfSlots><Slot>1</Slot>", "NumberOfSlots"},
        {title + base + "<NumberOfSlots>3</NumberOfSlots><Slot>1</Slot><Slot>1</Slot>", "Slot"},
    };
    // Each unusable Treatment stands between two good ones.
    std::string treatments = Treatment("good 0");
    for (size_t i = 0; i < cases.size(); ++i)
        treatments +=
            "<Treatment>" + cases[i].first + "</Treatment>\n" + Treatment("good " + std::to_string(i + 1));
    const std::vector<std::string> lines =
        LoadReporting(Write(CatalogueText(treatments)), static_cast<int>(cases.size()) + 1);
    ASSERT_EQ(lines.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].first);
        EXPECT_EQ(lines[i].rfind("Treatment " + std::to_string(2 * i + 2) + " skipped: ", 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(cases[i].second), std::string::npos) << lines[i];
    }
    for (int i = 0; i < catalogue.Count(); ++i)
        EXPECT_EQ(catalogue.Record(i).Title, "good " + std::to_string(i));
}

// The quick reading of a plain catalogue and the XML library's reading give
// the same table and the same diagnostic lines, whatever of XML the file uses
// (the quick reading leaves what it does not read to the library).
TEST_F(CatalogueFile, QuickReadingTakesWhatTheLibraryTakes)
{
    const std::string good = "<BodySpot>2</BodySpot><BaseFrequency>2</BaseFrequency>"
                             "<NumberOfSlots>2</NumberOfSlots><Slot>1</Slot><Slot>0</Slot>";
    const std::string t = "<Treatment><Title>T</Title>" + good + "</Treatment>";
    const std::vector<std::string> files = {
        CatalogueText(ManyTreatments(3, 5)),
        "\xEF\xBB\xBF" + CatalogueText(t),
        "  \r\n<?xml version=\"1.0\"?><?other?>" + CatalogueText(t),
        CatalogueText(t) + "<!-- after -->",
        "<!-- before -->" + CatalogueText(t),
        "<!DOCTYPE x>" + CatalogueText(t),
        "<Other>" + t + "</Other>" + CatalogueText(t + t) + CatalogueText(t),
        "text" + CatalogueText(t),
        CatalogueText("<Treatment><Title>A &amp; B &#x41;&#66; &unknown; &lt;</Title>" + good
                      + "</Treatment>"),
        CatalogueText("<Treatment><Title>line\r\nend\rhere</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title>  padded  </Title><Description>   </Description>" + good
                      + "</Treatment>"),
        CatalogueText("<Treatment><Title><![CDATA[x<y]]></Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title><!-- c -->late</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title> <b/>late</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title>early<b>inner</b>late</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title/><Title>second</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title a=\"1\">T</Title>" + good + "</Treatment>"),
        CatalogueText("<Treatment ><Title >T</Title ><Slot/><Slot></Slot>" + good + "</Treatment >"),
        CatalogueText("<Treatment><Title>T</Title><x:y>1</x:y>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title>T</Title><Other><Slot>0</Slot></Other>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title>T</Title>" + good + "</Treatment><Treatment/>"),
        CatalogueText("<Treatment><Title>T</Titl>" + good + "</Treatment>"),
        CatalogueText("<Treatment><Title>T</Title>" + good + "</Treatment>") + "</Extra>",
        std::string("<VitrelTreatmentsList>") + t + std::string("</VitrelTreatmentsList>\0junk", 28),
        "<VitrelTreatmentsList>" + t,
        "<VitrelTreatmentsList><Treatment><Title>T</Title>" + good + "</Treatment>text",
        "<VitrelTreatmentsList/>",
        "   ",
    };
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        const std::string path = Write(files[i], ("case" + std::to_string(i) + ".xml").c_str());
        TreatmentCatalogue quick;
        TreatmentCatalogue library;
        ::testing::internal::CaptureStdout();
        const int quickAdded = quick.Load(path.c_str(), CatalogueReading::Quick);
        const std::string quickLines = ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        const int libraryAdded = library.Load(path.c_str(), CatalogueReading::Library);
        EXPECT_EQ(quickLines, ::testing::internal::GetCapturedStdout());
        ASSERT_EQ(quickAdded, libraryAdded);
        for (int r = 0; r < quickAdded; ++r) {
            const TreatmentRecord& a = quick.Record(r);
            const TreatmentRecord& b = library.Record(r);
            EXPECT_EQ(a.Title, b.Title);
            EXPECT_EQ(a.Description, b.Description);
            EXPECT_EQ(a.BodySpot, b.BodySpot);
            EXPECT_EQ(a.Pattern.NumberOfSlots, b.Pattern.NumberOfSlots);
            EXPECT_TRUE(std::equal(a.Pattern.Slot, a.Pattern.Slot + FiringPattern::MaxSlots, b.Pattern.Slot));
        }
    }
}

// A figure for the record, not a check: run with
//   vitrel_unit_tests --gtest_also_run_disabled_tests --gtest_filter='*LoadTime*'
TEST_F(CatalogueFile, DISABLED_LoadTimeOfAFullTable)
{
    const std::string path = Write(CatalogueText(ManyTreatments(1000, 250)));
    std::vector<double> milliseconds;
    for (int run = 0; run < 7; ++run) {
        TreatmentCatalogue full;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(full.Load(path.c_str()), 1000);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("1000 treatments x 250 slots, %ju bytes: median %.1f ms (min %.1f, max %.1f)\n",
                static_cast<uintmax_t>(fs::file_size(path)), milliseconds[milliseconds.size() / 2],
                milliseconds.front(), milliseconds.back());
}

}  // namespace
