// The resources the window loads at run time are present where it looks.
#include <filesystem>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(ResourceFiles, EveryResourceTheWindowLoadsIsShipped)
{
    const fs::path root(VITREL_SOURCE_DIR);
    for (const char* file : {"share/VitrelIcon24x24.ico", "share/HumanBodyFront.png",
                             "share/HumanBodyBack.png", "share/HumanBodySideL.png",
                             "share/VitrelFrontPanel.png", "share/MagneticPulses.PNG",
                             "share/VitrelUSB.avi", "docs/VitrelHelp.chm", "docs/help/index.html",
                             "data/VitrelTreatmentsList.xml",
                             "data/VitrelFrequencyMeasurement.csv"}) {
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    }
    EXPECT_LT(fs::file_size(root / "share/VitrelUSB.avi"), 2u * 1024 * 1024);
}
