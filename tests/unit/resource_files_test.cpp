// The resources the window loads at run time are present where it looks.
#include <filesystem>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "treatments/body_spots.h"

namespace fs = std::filesystem;

TEST(ResourceFiles, EveryResourceTheWindowLoadsIsShipped)
{
    const fs::path root(VITREL_SOURCE_DIR);
    for (const char* file :
         {"share/VitrelIcon24x24.ico", "share/HumanBodyFront.png", "share/HumanBodyBack.png",
          "share/HumanBodySideL.png", "share/VitrelFrontPanel.png", "share/MagneticPulses.PNG",
          "share/VitrelUSB.avi", "share/BodySpots.csv", "docs/VitrelHelp.chm", "docs/de/VitrelHelp.chm",
          "docs/help/index.html", "data/VitrelTreatmentsList.xml", "data/VitrelFrequencyMeasurement.csv"}) {
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    }
    EXPECT_LT(fs::file_size(root / "share/VitrelUSB.avi"), 2u * 1024 * 1024);
}

TEST(ResourceFiles, SpotTablePlacesEverySpotOnAPictureAtMostOncePerView)
{
    BodySpotTable table;
    ASSERT_TRUE(table.Load(VITREL_SOURCE_DIR "/share/BodySpots.csv"));
    for (int spot = 1; spot <= 24; ++spot) {
        int views = 0;
        for (int view = 0; view < BodyViewCount; ++view)
            views += table.Find(view, spot) != nullptr ? 1 : 0;
        EXPECT_GE(views, 1) << "spot " << spot;
    }
    std::set<std::pair<int, int>> seen;
    for (const BodySpotPosition& position : table.Positions()) {
        EXPECT_TRUE(seen.insert({position.view, position.spot}).second)
            << "spot " << position.spot << " twice in view " << position.view;
        EXPECT_LE(position.spot, 24);
        EXPECT_LT(position.x, 220);  // the pictures are 220 x 600
        EXPECT_LT(position.y, 600);
    }
}

// A click chooses the spot whose drawn circle it falls in, the nearest one
// where two circles touch, and nothing beside them.
TEST(ResourceFiles, EverySpotIsChosenByAClickOnItAndOnlyThere)
{
    BodySpotTable table;
    ASSERT_TRUE(table.Load(VITREL_SOURCE_DIR "/share/BodySpots.csv"));
    for (const BodySpotPosition& p : table.Positions()) {
        for (const auto& [dx, dy] : {std::pair {0, 0}, {9, 0}, {0, -9}, {-6, 6}})
            EXPECT_EQ(table.SpotAt(p.view, p.x + dx, p.y + dy, 13), p.spot)
                << "spot " << p.spot << " in view " << p.view << " at " << dx << "," << dy;
        EXPECT_LE(table.ViewShowing(p.spot), p.view) << "spot " << p.spot;
    }
    EXPECT_EQ(table.SpotAt(0, 5, 5, 13), 0);
    EXPECT_EQ(table.SpotAt(0, 215, 595, 13), 0);
    EXPECT_EQ(table.ViewShowing(25), -1);
}
