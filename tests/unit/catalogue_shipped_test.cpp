// The treatments catalogue delivered with the program stays complete, ordered
// by body spot, and writable to the stick.
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "treatments/treatment_catalogue.h"

namespace {

const std::string ShippedPath = std::string(VITREL_SOURCE_DIR) + "/data/VitrelTreatmentsList.xml";

TEST(CatalogueShipped, EveryTreatmentLoadsAndCarriesExactlyItsSlots)
{
    std::string head(64, '\0');
    std::ifstream(ShippedPath, std::ios::binary).read(&head[0], 64);
    EXPECT_EQ(head.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);

    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    ASSERT_EQ(document.LoadFile(ShippedPath.c_str()), tinyxml2::XML_SUCCESS);
    int elements = 0;
    for (const tinyxml2::XMLElement* treatment =
             document.FirstChildElement("VitrelTreatmentsList")->FirstChildElement("Treatment");
         treatment; treatment = treatment->NextSiblingElement("Treatment"), ++elements) {
        int slots = 0;
        for (const tinyxml2::XMLElement* slot = treatment->FirstChildElement("Slot"); slot;
             slot = slot->NextSiblingElement("Slot"))
            ++slots;
        EXPECT_EQ(treatment->FirstChildElement("NumberOfSlots")->IntText(), slots)
            << "Treatment " << elements + 1;
    }

    TreatmentCatalogue catalogue;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(catalogue.Load(ShippedPath.c_str()), elements);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_GE(elements, 40);
    EXPECT_LE(elements, 80);
}

TEST(CatalogueShipped, IsOrderedBySpotAndCoversMostSpots)
{
    TreatmentCatalogue catalogue;
    catalogue.Load(ShippedPath.c_str());
    std::map<int, int> perSpot;
    std::set<std::string> titles;
    bool nonAscii = false;
    for (int i = 0; i < catalogue.Count(); ++i) {
        const TreatmentRecord& record = catalogue.Record(i);
        if (i > 0) {
            EXPECT_GE(record.BodySpot, catalogue.Record(i - 1).BodySpot) << record.Title;
        }
        ++perSpot[record.BodySpot];
        EXPECT_TRUE(titles.insert(record.Title).second) << "title twice: " << record.Title;
        EXPECT_FALSE(record.Description.empty() || record.DayTreatment.empty()
                     || record.NightTreatment.empty())
            << record.Title;
        for (unsigned char c : record.Title)
            nonAscii = nonAscii || c >= 0x80;
    }
    int spots = 0;
    int spotsWithSeveral = 0;
    for (const auto& [spot, treatments] : perSpot) {
        if (spot >= 1) {
            ++spots;
            spotsWithSeveral += treatments >= 2;
        }
    }
    EXPECT_GE(perSpot[0], 1) << "general treatments";
    EXPECT_GE(spots, 16);
    EXPECT_GE(spotsWithSeveral, 4);
    EXPECT_TRUE(nonAscii);
}

TEST(CatalogueShipped, EveryPatternIsConsistentAndFitsTheStick)
{
    TreatmentCatalogue catalogue;
    catalogue.Load(ShippedPath.c_str());
    for (int i = 0; i < catalogue.Count(); ++i) {
        const FiringPattern& pattern = catalogue.Record(i).Pattern;
        SCOPED_TRACE(catalogue.Record(i).Title);
        const double b = pattern.BaseFrequency;
        const int n = pattern.NumberOfSlots;
        EXPECT_GE(b, 0.5);
        EXPECT_LE(b, 30.0);
        EXPECT_GE(n, 1);
        EXPECT_LE(n, FiringPattern::MaxSlots);
        EXPECT_TRUE(pattern.FitsDevice());
        // The file writes the derived values with six decimals.
        EXPECT_NEAR(pattern.BaseTimePeriod, 1.0 / b, 5.1e-7);
        EXPECT_NEAR(pattern.SlotFrequency, b * n, 5.1e-7);
        EXPECT_NEAR(pattern.TimePeriodPerSlot, 1.0 / (b * n), 5.1e-7);
        int firing = 0;
        for (int s = 0; s < n; ++s)
            firing += pattern.Slot[s] == 1;
        EXPECT_GT(firing, 0) << "a pattern that never fires";
    }
}

}  // namespace
