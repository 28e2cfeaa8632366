// Where the program looks for its files: portable folder or installation,
// and the user's own data folder.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/stattext.h>

#include "ui/common/resource_path.h"
#include "device/device_link.h"
#include "stick_test_support.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
std::string Mapped(const ResourceLayout& layout, const char* name)
{
    return MapResourcePath(layout, name).utf8_string();
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name)
    {
        const char* old = getenv(name);
        had = old != nullptr;
        if (had)
            previous = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had)
            setenv(name, previous.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    bool had = false;
    std::string previous;
};
}  // namespace

TEST(ResourceLayout, PortableOnlyWhenTheWorkingFolderHoldsCatalogueAndShareButNoMarker)
{
    const struct {
        bool catalogue, share, marker, installed;
    } cases[] = {{true, true, false, false},
                 {true, false, false, true},
                 {false, true, false, true},
                 {false, false, false, true},
                 // The installation folder itself, e.g. after a double click on the program.
                 {true, true, true, true}};
    for (const auto& c : cases) {
        TempFolder work;
        if (c.catalogue)
            work.Write("VitrelTreatmentsList.xml", "<VitrelTreatmentsList/>");
        if (c.share)
            fs::create_directory(work.path / "share");
        if (c.marker)
            work.Write(InstallationMarker, "");
        const ResourceLayout layout =
            ChooseResourceLayout(work.path.string(), "/opt/vitrel/bin/vitrel", "/home/u/vitrel");
        EXPECT_EQ(layout.installed, c.installed) << c.catalogue << c.share << c.marker;
        if (layout.installed) {
            EXPECT_EQ(layout.dataFolder, "/opt/vitrel/share/vitrel");
            EXPECT_EQ(layout.userFolder, "/home/u/vitrel");
        }
    }
}

TEST(ResourceLayout, DataFolderFollowsTheExecutable)
{
    const struct {
        const char* executable;
        const char* data;
    } cases[] = {{"/usr/bin/vitrel", "/usr/share/vitrel"},
                 {"/tmp/root/usr/bin/vitrel", "/tmp/root/usr/share/vitrel"},
                 {"/home/u/Vitrel 1.5/vitrel", "/home/u/Vitrel 1.5"}};
    for (const auto& c : cases)
        EXPECT_EQ(InstalledDataFolder(c.executable), c.data) << c.executable;
}

TEST(ResourceLayout, UserFolderHonoursAnAbsoluteXdgDataHome)
{
    ScopedEnv home("HOME", "/home/tester");
    const struct {
        const char* xdg;
        const char* folder;
    } cases[] = {{"/data/xdg", "/data/xdg/vitrel"},
                 {"/home/J\u00fcrgen/data", "/home/J\u00fcrgen/data/vitrel"},
                 {nullptr, "/home/tester/.local/share/vitrel"},
                 {"", "/home/tester/.local/share/vitrel"},
                 {"relative/share", "/home/tester/.local/share/vitrel"}};
    for (const auto& c : cases) {
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(UserDataFolder().utf8_string(), c.folder) << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST(ResourceLayout, PortableNamesStayRelative)
{
    const ResourceLayout portable;
    EXPECT_EQ(Mapped(portable, "share\\HumanBodyFront.png"), "share/HumanBodyFront.png");
    EXPECT_EQ(Mapped(portable, "AdvancedSettings.xml"), "AdvancedSettings.xml");
    EXPECT_EQ(Mapped(portable, "VitrelTreatmentsList.xml"), "VitrelTreatmentsList.xml");
}

TEST(ResourceLayout, InstalledWritesToTheUserAndTheUsersDataFilesWin)
{
    TempFolder data, user;
    const ResourceLayout layout {true, data.path.string(), user.path.string()};
    const std::string d = data.path.string(), u = user.path.string();
    user.Write("VitrelFrequencyMeasurement.csv", "1,1\n");
    // Only bare data files can be replaced by the user, not pictures.
    fs::create_directory(user.path / "share");
    user.Write("share/HumanBodyFront.png", "");

    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"AdvancedSettings.xml", u + "/AdvancedSettings.xml"},
        {"DiaryHistoryDB.xml", u + "/DiaryHistoryDB.xml"},
        {"VitrelFrequencyMeasurement.csv", u + "/VitrelFrequencyMeasurement.csv"},
        {"VitrelTreatmentsList.xml", d + "/VitrelTreatmentsList.xml"},
        {"share\\HumanBodyFront.png", d + "/share/HumanBodyFront.png"},
        {"docs\\VitrelHelp.htb", d + "/docs/VitrelHelp.htb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mapped(layout, c.name), c.path) << c.name;
}

// Installed, the user's folder is read as the program's own too: an export
// there could become the user's catalogue.
TEST(ResourceLayout, InstalledExportsAreRefusedInTheDataAndTheUsersFolder)
{
    TempFolder data, user, elsewhere;
    const ResourceLayout layout {true, data.path.string(), user.path.string()};
    const struct {
        std::string path;
        bool own;
    } cases[] = {{user.PathOf("VitrelTreatmentsList.xml"), true},
                 {data.PathOf("mine.xml"), true},
                 {elsewhere.PathOf("mine.xml"), false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsProgramFile(layout, wxString::FromUTF8(c.path)), c.own) << c.path;
}

TEST(ResourceLayout, MissingFilesAreNamedWithWhereTheyWereLookedFor)
{
    TempFolder work;
    const fs::path previous = fs::current_path();
    fs::current_path(work.path);
    for (const char* name :
         {"share/VitrelIcon24x24.ico", "share/HumanBodyFront.png", "share/HumanBodyBack.png",
          "share/HumanBodySideL.png", "share/VitrelFrontPanel.png", "share/MagneticPulses.PNG",
          "share/VitrelUSB.avi", "docs/VitrelHelp.htb", "VitrelTreatmentsList.xml",
          "VitrelFrequencyMeasurement.csv", "share/BodySpots.csv"}) {
        fs::create_directories((work.path / name).parent_path());
        work.Write(name, "");
    }
    EXPECT_EQ(MissingResourcesMessage(), "");
    fs::remove(work.path / "share/HumanBodyBack.png");
    const std::string message = MissingResourcesMessage().utf8_string();
    EXPECT_NE(message.find("\n" + (work.path / "share/HumanBodyBack.png").string()), std::string::npos)
        << message;
    EXPECT_EQ(message.find("HumanBodyFront"), std::string::npos) << message;
    EXPECT_TRUE(LoadResourceBitmap("share\\HumanBodyBack.png").IsNull());
    fs::current_path(previous);
}

// The real window in an installed layout: the user's own catalogue and
// frequency table are the ones used, and the pattern is saved in the user's
// folder, not in the working folder.
class InstalledWindow : public StickFrameTest {
protected:
    void TearDown() override
    {
        StickFrameTest::TearDown();
        UseResourceLayout(ResourceLayout());
    }
};

TEST_F(InstalledWindow, UsesTheUsersDataFilesAndSavesIntoTheUsersFolder)
{
    const fs::path data = fs::path(WorkDir()) / "installation";
    const fs::path user = fs::path(WorkDir()) / "home/.local/share/vitrel";
    fs::create_directories(data);
    fs::create_directories(user.parent_path());
    fs::copy(fs::path(WorkDir()) / "VitrelFrequencyMeasurement.csv", data);
    UseResourceLayout(ResourceLayout {true, data.string(), user.string()});
    EXPECT_EQ(fs::status(user).permissions() & fs::perms::all, fs::perms::owner_all);

    // The user's table asks the stick for twice the frequency.
    std::ofstream(user / "VitrelFrequencyMeasurement.csv") << "1,2\n1000,2000\n";
    std::ofstream(user / "VitrelTreatmentsList.xml")
        << "<VitrelTreatmentsList><Treatment><Title>Mine</Title><BodySpot>0</BodySpot>"
           "<BaseFrequency>5</BaseFrequency><NumberOfSlots>2</NumberOfSlots>"
           "<Slot>1</Slot><Slot>0</Slot></Treatment></VitrelTreatmentsList>\n";
    StartStick();
    CreateFrame();
    ASSERT_TRUE(WaitFor([&] { return Attached(); }, AttachMilliseconds));
    EXPECT_EQ(Find<wxStaticText>("ID_STATICTEXT24")->GetLabel(), "Mine");
    ClearWrites();
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON9")), MessageAnswer(wxID_OK));

    DeviceLink usersLink((user / "VitrelFrequencyMeasurement.csv").c_str());
    unsigned char lo = 0, hi = 0, sel = 0;
    ASSERT_TRUE(usersLink.EncodeSlotFrequency(10.0, lo, hi, sel));
    const unsigned char timer[] = {0x00, 0x07, lo, hi, sel, 0xFF};
    EXPECT_TRUE(WaitForReceived(Hex(timer, 6), 1, 1000)) << "not the user's table";

    CloseFrame();
    EXPECT_TRUE(fs::exists(user / "AdvancedSettings.xml"));
    EXPECT_FALSE(WorkFileExists("AdvancedSettings.xml"));
}

TEST(ResourceLayout, HelpBookInTheWindowsLanguageElseEnglish)
{
    TempFolder work;
    const fs::path previous = fs::current_path();
    fs::current_path(work.path);
    UseResourceLayout(ResourceLayout());
    fs::create_directories(work.path / "docs/de");
    fs::create_directories(work.path / "docs/pt_BR");
    for (const char* book : {"docs/VitrelHelp.htb", "docs/de/VitrelHelp.htb", "docs/pt_BR/VitrelHelp.htb"})
        work.Write(book, "");
    const struct {
        const char* language;
        const char* book;
    } cases[] = {
        {"", "docs/VitrelHelp.htb"},  // English: the keys show
        {"en", "docs/VitrelHelp.htb"},  // an English desktop
        {"de", "docs/de/VitrelHelp.htb"},
        {"de_AT", "docs/de/VitrelHelp.htb"},  // no Austrian book: the German one
        {"pt_BR", "docs/pt_BR/VitrelHelp.htb"},
        {"pt", "docs/VitrelHelp.htb"},  // no book for it: English
        {"fr_FR", "docs/VitrelHelp.htb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpDocumentPath(c.language).utf8_string(), c.book) << c.language;
    fs::current_path(previous);
}
