// The window with odd things where its data files belong: FIFOs, folders,
// sockets, files it may not open, links; and a second start of the program
// for the same user folder.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pwd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>

#include "ui/common/resource_path.h"
#include "ui/frame/single_instance.h"
#include "gui_test_support.h"
#include "stick_test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const SaveQuestion = "Do you want to save entry to history ?";
const char* const SaveCaption = "Save Entry to History";
const char* const DiaryUnreadable = "The diary file \"DiaryHistoryDB.xml\" could not be read, so the "
                                    "entry was not saved. The file was left as it is.";

enum class Special { Fifo, Folder, Socket };

const char* NameOf(Special kind)
{
    return kind == Special::Fifo ? "FIFO" : kind == Special::Folder ? "folder" : "socket";
}

class DataFilesTest : public FrameTest {
protected:
    // Puts a FIFO, folder or listening socket at `name` in the working folder.
    void MakeSpecial(const std::string& name, Special kind)
    {
        const std::string path = WorkPath(name);
        switch (kind) {
            case Special::Fifo:
                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                break;
            case Special::Folder:
                ASSERT_TRUE(fs::create_directory(path));
                break;
            case Special::Socket: {
                sockaddr_un address {};
                address.sun_family = AF_UNIX;
                ASSERT_LT(path.size(), sizeof address.sun_path);
                path.copy(address.sun_path, path.size());
                const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                ASSERT_GE(fd, 0);
                ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                sockets.push_back(fd);
                break;
            }
        }
    }

    bool StillSpecial(const std::string& name, Special kind) const
    {
        const fs::file_status status = fs::symlink_status(WorkPath(name));
        return kind == Special::Fifo     ? fs::is_fifo(status)
               : kind == Special::Folder ? fs::is_directory(status)
                                         : fs::is_socket(status);
    }

    void SaveNewEntry(const char* summaryText, const std::vector<MessageAnswer>& after = {})
    {
        Click(Find<wxButton>("ID_BUTTON13"));
        Type(Find<wxTextCtrl>("ID_TEXTCTRL4"), summaryText);
        wxButton* save = Find<wxButton>("ID_BUTTON12");
        if (after.empty()) {
            wxTEST_DIALOG(Click(save), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption));
        } else {
            wxTEST_DIALOG(Click(save), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption), after[0]);
        }
    }

    void TearDown() override
    {
        FrameTest::TearDown();
        for (int fd : sockets)
            close(fd);
    }

    std::vector<int> sockets;
};

// Nothing waits on what holds a data file's name: the window is up at once,
// and each file tells the user as a missing or unreadable one does. None is
// moved, replaced or written into.
TEST_F(DataFilesTest, SpecialFilesInPlaceOfDataFilesAreRefusedWithoutWaiting)
{
    const char* const dataFiles[] = {"DiaryHistoryDB.xml", "AdvancedSettings.xml", "VitrelTreatmentsList.xml",
                                     "VitrelFrequencyMeasurement.csv"};
    // The first window of a process also pays for the toolkit's start; the
    // limit is about the files.
    CreateFrame();
    CloseFrame();
    for (const char* name : dataFiles) {
        for (Special kind : {Special::Fifo, Special::Folder, Special::Socket}) {
            SCOPED_TRACE(std::string(name) + " as a " + NameOf(kind));
            for (const char* delivered : {"VitrelTreatmentsList.xml", "VitrelFrequencyMeasurement.csv"})
                if (std::string(delivered) != name)
                    CopyDeliveredFile(delivered);
            MakeSpecial(name, kind);

            const auto start = std::chrono::steady_clock::now();
            CreateFrame();
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

            const std::string file(name);
            if (file == "DiaryHistoryDB.xml") {
                ShowPage(2);
                EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 0);
                SaveNewEntry("kept on the page", {MessageAnswer(wxID_OK, DiaryUnreadable, "Warning")});
            } else if (file == "VitrelTreatmentsList.xml" || file == "VitrelFrequencyMeasurement.csv") {
                // The start-up notice names every shipped file that cannot be used.
                EXPECT_NE(MissingResourcesMessage().Find(name), wxNOT_FOUND);
                if (file == "VitrelTreatmentsList.xml") {
                    EXPECT_EQ(Find<wxListBox>("ID_LISTBOX1")->GetCount(), 0u);
                }
            }
            CapturedOutput output;
            if (file == "DiaryHistoryDB.xml") {
                wxTEST_DIALOG(CloseFrame(), MessageAnswer(wxID_NO, wxString(), SaveCaption));
            } else {
                CloseFrame();
            }
            if (file == "AdvancedSettings.xml") {
                EXPECT_EQ(output.Count("AdvancedSettings.xml is not an ordinary file; it was left as it "
                                       "is and the pattern on the page was not saved"),
                          1);
            }
            EXPECT_TRUE(StillSpecial(name, kind));

            // The next case starts from an empty folder again.
            for (const auto& entry : fs::directory_iterator(WorkDir()))
                if (entry.path().filename() != "share" && entry.path().filename() != "docs")
                    fs::remove_all(entry.path());
        }
    }
}

// Drops to another account for the life of the object (effective ids only,
// so the window's connection to the display and the process stay ours).
class OtherUser {
public:
    OtherUser()
    {
        if (geteuid() != 0) {
            dropped = true;  // a file of mode 000 is unreadable for us already
            return;
        }
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr || setegid(nobody->pw_gid) != 0)
            return;
        if (seteuid(nobody->pw_uid) != 0) {
            setegid(0);
            return;
        }
        switched = dropped = true;
    }
    ~OtherUser()
    {
        if (switched) {
            seteuid(0);
            setegid(0);
        }
    }
    bool dropped = false;

private:
    bool switched = false;
};

// A settings file the program may not open: it is read as one it cannot
// parse, so the exit save moves it aside, bytes and permissions untouched,
// instead of replacing it with the page's defaults.
TEST_F(DataFilesTest, SettingsThatCannotBeOpenedAreNeverOverwritten)
{
    const std::string settings = "<VitrelAdvancedSettings><BaseFrequency>3</BaseFrequency>"
                                 "<NumberOfSlots>4</NumberOfSlots></VitrelAdvancedSettings>";
    WriteWorkFile("AdvancedSettings.xml", settings);
    chmod(WorkPath("AdvancedSettings.xml").c_str(), 0);
    chmod(WorkDir().c_str(), 0777);
    std::string aside;
    {
        OtherUser user;
        if (!user.dropped)
            GTEST_SKIP() << "no other account to run as";
        CreateFrame();
        CapturedOutput output;
        CloseFrame();
        // The device tick may print its own lines while the window closes.
        const std::string text = output.Text();
        const std::string kept = "AdvancedSettings.xml could not be read; it was kept as ";
        const size_t line = text.find(kept);
        ASSERT_NE(line, std::string::npos) << text;
        aside = text.substr(line + kept.size(), text.find('\n', line) - line - kept.size());
    }
    EXPECT_EQ(ReadWorkFile(aside), settings);
    EXPECT_EQ(fs::status(aside).permissions(), fs::perms::none);
    // The page's pattern is saved as a new file.
    EXPECT_NE(ReadWorkFile("AdvancedSettings.xml").find("<NumberOfSlots>10</NumberOfSlots>"),
              std::string::npos);
}

// Saves replace what the links point at; the links stay links.
TEST_F(DataFilesTest, SymlinkedDiaryAndSettingsStayLinks)
{
    fs::create_directory(WorkPath("real"));
    CopyTestDataFile("diary_three_entries.xml", "real/diary.xml");
    WriteWorkFile("real/settings.xml", "<VitrelAdvancedSettings><BaseFrequency>2</BaseFrequency>"
                                       "<NumberOfSlots>3</NumberOfSlots><Slot>1</Slot><Slot>0</Slot>"
                                       "<Slot>1</Slot></VitrelAdvancedSettings>");
    fs::create_symlink("real/diary.xml", WorkPath("DiaryHistoryDB.xml"));
    fs::create_symlink(WorkPath("real/settings.xml"), WorkPath("AdvancedSettings.xml"));

    CreateFrame();
    ShowPage(2);
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 3);
    EXPECT_EQ(Find<wxTextCtrl>("ID_TEXTCTRL8")->GetValue(), "3");
    SaveNewEntry("through the link");
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL8"), "5");
    CloseFrame();

    EXPECT_TRUE(fs::is_symlink(WorkPath("DiaryHistoryDB.xml")));
    EXPECT_TRUE(fs::is_symlink(WorkPath("AdvancedSettings.xml")));
    EXPECT_NE(ReadWorkFile("real/diary.xml").find("<Summary>through the link</Summary>"), std::string::npos);
    EXPECT_NE(ReadWorkFile("real/settings.xml").find("<NumberOfSlots>5</NumberOfSlots>"), std::string::npos);
    // Nothing was left beside either.
    EXPECT_EQ(std::distance(fs::directory_iterator(WorkPath("real")), fs::directory_iterator()), 2);
}

// A settings link planted by another user in a folder others may write to:
// the user is told at the start, and the exit save writes nothing through it.
TEST_F(DataFilesTest, AnotherUsersSettingsLinkIsToldOfAndNotWrittenThrough)
{
    WriteWorkFile("notes.xml", "<notes>mine</notes>");
    fs::create_symlink(WorkPath("notes.xml"), WorkPath("AdvancedSettings.xml"));
    if (lchown(WorkPath("AdvancedSettings.xml").c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "only root can give a link another owner";

    // The notice comes once the window is up.
    wxTEST_DIALOG(
        {
            CreateFrame();
            RunEventLoopFor(300);
        },
        MessageAnswer(wxID_OK, wxString(), "Advanced Settings"));
    Enter(Find<wxTextCtrl>("ID_TEXTCTRL8"), "5");
    CloseFrame();

    EXPECT_TRUE(fs::is_symlink(WorkPath("AdvancedSettings.xml")));
    EXPECT_EQ(ReadWorkFile("notes.xml"), "<notes>mine</notes>");
}

// A diary the library reads but cannot print back as it was: the first save
// keeps it and starts a new one, and the user is told where the old one is.
TEST_F(DataFilesTest, ADiaryThatCannotBeWrittenBackIsKeptAndANewOneStarted)
{
    fs::copy_file(fs::path(VITREL_SOURCE_DIR) / "tests/fuzz/corpus/diary/nul_reference",
                  WorkPath("DiaryHistoryDB.xml"));
    const std::string original = ReadWorkFile("DiaryHistoryDB.xml");
    CreateFrame();
    ShowPage(2);
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 2);

    wxString notice;
    class NoticeAnswer : public wxExpectModalBase<wxMessageDialog, NoticeAnswer> {
    public:
        explicit NoticeAnswer(wxString& seen) : seen(seen) { }

    protected:
        int OnInvoked(wxMessageDialog* dialog) const override
        {
            seen = dialog->GetMessage();
            return wxID_OK;
        }

    private:
        wxString& seen;
    };
    Click(Find<wxButton>("ID_BUTTON13"));
    Type(Find<wxTextCtrl>("ID_TEXTCTRL4"), "after the move");
    wxTEST_DIALOG(Click(Find<wxButton>("ID_BUTTON12")), MessageAnswer(wxID_OK, SaveQuestion, SaveCaption),
                  NoticeAnswer(notice));

    std::string aside;
    for (const auto& entry : fs::directory_iterator(WorkDir()))
        if (entry.path().filename().string().rfind("DiaryHistoryDB.unreadable-", 0) == 0)
            aside = entry.path().filename().string();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(ReadWorkFile(aside), original);
    // The notice says where the old diary is, by its full path.
    EXPECT_NE(notice.Find(wxString::FromUTF8(WorkPath(aside))), wxNOT_FOUND) << notice;
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 3);
    EXPECT_FALSE(Find<wxTextCtrl>("ID_TEXTCTRL4")->IsEditable());
    // The next entry is an ordinary save.
    SaveNewEntry("and another");
    EXPECT_EQ(Find<wxListView>("ID_LISTVIEW1")->GetItemCount(), 4);
}

TEST(UserFolderInstance, OneNameForEveryWayOfWritingAFolder)
{
    TempFolder folder;
    fs::create_directory(folder.path / "a");
    fs::create_directory(folder.path / "b");
    fs::create_directory_symlink(folder.path / "a", folder.path / "link");
    const wxString a = UserFolderInstanceName(folder.PathOf("a"));
    for (const std::string& same :
         {folder.PathOf("a") + "/", folder.PathOf("b") + "/../a", folder.PathOf("link")})
        EXPECT_EQ(UserFolderInstanceName(same), a) << same;
    EXPECT_NE(UserFolderInstanceName(folder.PathOf("b")), a);
}

// Where the lock belongs there is a folder or a FIFO (which stop root too):
// the program runs without the check and tells of no other copy.
TEST(UserFolderInstance, ALockThatCannotBeMadeDoesNotStopTheStart)
{
    TempFolder runtime;
    const char* before = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = before ? before : "";
    setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    const std::string lock =
        runtime.PathOf(UserFolderInstanceName(runtime.PathOf("user")).utf8_string() + ".lock");
    for (const bool fifo : {false, true}) {
        fs::remove_all(lock);
        EXPECT_TRUE(fifo ? mkfifo(lock.c_str(), 0600) == 0 : fs::create_directory(lock));
        UserFolderInstance instance;
        EXPECT_TRUE(instance.Claim(runtime.PathOf("user"), [] {})) << fifo;
        EXPECT_FALSE(instance.RunningCopyShown());
    }
    before ? setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
}

// A program started in `folder` (a portable folder), with its output in
// `output`.
pid_t StartProgram(const std::string& folder, const std::string& output)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0 || !freopen(output.c_str(), "w", stdout))
            _exit(127);
        setenv("VITREL_SERIAL_PORTS", "", 1);
        const std::string program = std::string(VITREL_RUN_DIR) + "/vitrel";
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits up to `seconds` for `pid` to end; its exit status, or -1 if it runs on.
int WaitForExit(pid_t pid, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    if (WaitForExit(pid, 5) < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

// A portable folder: the catalogue and share/ are what make one.
void MakePortableFolder(const fs::path& folder)
{
    fs::create_directory(folder);
    fs::copy_file(fs::path(VITREL_RUN_DIR) / "VitrelTreatmentsList.xml", folder / "VitrelTreatmentsList.xml");
    fs::create_directory_symlink(fs::path(VITREL_RUN_DIR) / "share", folder / "share");
}

// The channel of the copy that runs for `folder` is open once it has
// claimed the folder.
bool WaitUntilClaimed(const fs::path& folder, int seconds)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path channel = fs::path(runtime && runtime[0] == '/' ? runtime : std::getenv("HOME"))
                             / (UserFolderInstanceName(folder.string()).utf8_string() + ".socket");
    for (int i = 0; i < seconds * 20; ++i) {
        if (fs::exists(channel))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(SecondStart, ShowsTheRunningWindowAndEndsForTheSameUserFolderOnly)
{
    TempFolder work;
    MakePortableFolder(work.path / "one");
    MakePortableFolder(work.path / "two");
    const pid_t first = StartProgram(work.PathOf("one"), work.PathOf("first.out"));
    ASSERT_TRUE(WaitUntilClaimed(work.path / "one", 20));

    const pid_t second = StartProgram(work.PathOf("one"), work.PathOf("second.out"));
    EXPECT_EQ(WaitForExit(second, 10), 0);
    EXPECT_EQ(work.Read("second.out"), "Vitrel is already running for " + work.PathOf("one")
                                           + "; its window was brought to the front\n");
    EXPECT_EQ(WaitForExit(first, 0), -1) << "the first copy runs on";

    // Another folder is another user folder: its program runs on.
    const pid_t other = StartProgram(work.PathOf("two"), work.PathOf("other.out"));
    EXPECT_TRUE(WaitUntilClaimed(work.path / "two", 20));
    EXPECT_EQ(WaitForExit(other, 1), -1);
    Stop(other);
    Stop(first);
}

}  // namespace
