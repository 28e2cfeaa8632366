// What the stick holds: reading its programme reply, the pattern it runs and
// the catalogue treatment it is.
#include <gtest/gtest.h>

#include "device/device_link.h"
#include "device/instruction.h"
#include "temp_folder.h"
#include "treatments/stick_programme.h"
#include "treatments/treatment_catalogue.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Reply(const Bytes& payload)
{
    Bytes frame(payload.size() + 3);
    BuildFrame(ReadProgramme, payload.data(), static_cast<int>(payload.size()), frame.data());
    return frame;
}

bool Read(const Bytes& reply, StickProgramme& programme)
{
    return ReadProgrammeReply(reply.data(), static_cast<int>(reply.size()), programme);
}

TEST(StickProgramme, ReplyGivesTimerAndStatesWithinTheSlotLimit)
{
    StickProgramme programme;
    ASSERT_TRUE(Read(Reply({0x57, 0x9E, 0x00, 1, 0, 2}), programme));
    EXPECT_EQ(programme.timer[0], 0x57);
    EXPECT_EQ(programme.timer[2], 0x00);
    EXPECT_EQ(programme.states, (Bytes {1, 0, 2}));
    EXPECT_FALSE(Read(Reply({0x57, 0x9E, 0x00}), programme));  // no states
    EXPECT_FALSE(Read(Reply({0x57, 0x9E}), programme));
    Bytes tooMany = {0x57, 0x9E, 0x00};
    tooMany.resize(3 + FiringPattern::MaxSlots + 1, 1);
    EXPECT_FALSE(Read(Reply(tooMany), programme));
}

TEST(StickProgramme, PatternOfAProgrammeFollowsTheReadBackRule)
{
    DeviceLink link("");  // no table: frequencies pass unchanged
    StickProgramme programme;
    ASSERT_TRUE(Read(Reply({0x57, 0x9E, 0x00, 1, 2, 1}), programme));  // 10 Hz, 3 slots
    FiringPattern pattern;
    ASSERT_TRUE(PatternOfProgramme(programme, link, pattern));
    EXPECT_EQ(pattern.NumberOfSlots, 3);
    EXPECT_EQ(FormatPatternReal(pattern.BaseTimePeriod), "0.300000");
    EXPECT_EQ(pattern.Slot[0], 1);
    EXPECT_NE(pattern.Slot[1], 1);
    ASSERT_TRUE(Read(Reply({0xFF, 0xFF, 0x00, 1}), programme));  // timer count 0: no frequency
    EXPECT_FALSE(PatternOfProgramme(programme, link, pattern));
}

class StickProgrammeMatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = folder.PathOf("VitrelTreatmentsList.xml");
        std::ofstream(path)
            << "<?xml version=\"1.0\"?><VitrelTreatmentsList>"
               "<Treatment><Title>Ten</Title><BodySpot>0</BodySpot><BaseFrequency>1</BaseFrequency>"
               "<NumberOfSlots>10</NumberOfSlots>"
               "<Slot>1</Slot><Slot>2</Slot><Slot>1</Slot><Slot>2</Slot><Slot>1</Slot>"
               "<Slot>2</Slot><Slot>1</Slot><Slot>2</Slot><Slot>1</Slot><Slot>2</Slot></Treatment>"
               "<Treatment><Title>Three</Title><BodySpot>0</BodySpot><BaseFrequency>7</BaseFrequency>"
               "<NumberOfSlots>3</NumberOfSlots><Slot>1</Slot><Slot>0</Slot><Slot>1</Slot></Treatment>"
               "<Treatment><Title>Three again</Title><BodySpot>1</BodySpot><BaseFrequency>7</BaseFrequency>"
               "<NumberOfSlots>3</NumberOfSlots><Slot>1</Slot><Slot>2</Slot><Slot>1</Slot></Treatment>"
               "</VitrelTreatmentsList>";
        ASSERT_EQ(catalogue.Load(path.c_str()), 3);
    }

    // The programme a write of the record at `index` stores.
    StickProgramme WrittenRecord(int index)
    {
        StickProgramme programme;
        EXPECT_TRUE(ProgrammeOfPattern(catalogue.Record(index).Pattern, link, programme));
        return programme;
    }

    TempFolder folder;
    TreatmentCatalogue catalogue;
    DeviceLink link {""};
};

TEST_F(StickProgrammeMatch, AProgrammeIsTheFirstRecordWhoseWriteStoresIt)
{
    StickProgramme ten = WrittenRecord(0);
    EXPECT_EQ(MatchingTreatment(catalogue, ten, link), 0);
    // 21 Hz does not divide the timer's clock: the reply decodes to about
    // 21.0013 Hz, and still is the record it was written from.
    StickProgramme three = WrittenRecord(1);
    FiringPattern decoded;
    ASSERT_TRUE(PatternOfProgramme(three, link, decoded));
    EXPECT_NE(FormatPatternReal(decoded.SlotFrequency), "21.000000");
    EXPECT_EQ(MatchingTreatment(catalogue, three, link), 1);
    // Any value other than 1 is off, in the record and in the reply.
    three.states = {1, 0, 1};
    EXPECT_EQ(MatchingTreatment(catalogue, three, link), 1);

    struct Change {
        const char* what;
        void (*apply)(StickProgramme&);
    } const changes[] = {
        {"a slot turned over", [](StickProgramme& p) { p.states[1] = 1; }},
        {"a slot more", [](StickProgramme& p) { p.states.push_back(2); }},
        {"the timer one count off", [](StickProgramme& p) { ++p.timer[0]; }},
        {"another prescaler", [](StickProgramme& p) { ++p.timer[2]; }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        StickProgramme other = WrittenRecord(0);
        change.apply(other);
        EXPECT_EQ(MatchingTreatment(catalogue, other, link), -1);
    }
}

}  // namespace
