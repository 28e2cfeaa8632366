// Reading only regular files, following links and the writers' lock.
#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <pwd.h>
#include <unistd.h>
#endif

#include "files/atomic_file.h"
#include "files/data_file.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Made()); }
    TempFolder folder;
};

#ifndef _WIN32
// A listening socket bound at path, closed at the end of the test.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& path)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return;
        path.copy(address.sun_path, path.size());
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~BoundSocket()
    {
        if (fd >= 0)
            close(fd);
    }
    bool Made() const { return fd >= 0; }

private:
    int fd = -1;
};

// Whatever holds the name, an open returns at once and only a regular file
// is read: a FIFO without a writer used to hold up the start for good.
TEST_F(DataFileTest, OnlyRegularFilesAreOpened)
{
    folder.Write("file.xml", "<a/>");
    fs::create_directory(folder.PathOf("folder.xml"));
    ASSERT_EQ(mkfifo(folder.PathOf("fifo.xml").c_str(), 0600), 0);
    BoundSocket socket(folder.PathOf("socket.xml"));
    ASSERT_TRUE(socket.Made());
    fs::create_symlink("fifo.xml", folder.PathOf("link-to-fifo.xml"));
    fs::create_symlink("file.xml", folder.PathOf("link-to-file.xml"));

    const struct {
        const char* name;
        DataFileOpen expected;
        const char* text;
    } cases[] = {
        {"file.xml", DataFileOpen::Opened, "<a/>"},
        {"link-to-file.xml", DataFileOpen::Opened, "<a/>"},
        {"missing.xml", DataFileOpen::Missing, ""},
        {"file.xml/below.xml", DataFileOpen::Missing, ""},
        {"folder.xml", DataFileOpen::NotRegular, ""},
        {"fifo.xml", DataFileOpen::NotRegular, ""},
        {"link-to-fifo.xml", DataFileOpen::NotRegular, ""},
        {"socket.xml", DataFileOpen::NotRegular, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "stale";
        EXPECT_EQ(ReadDataFile(folder.PathOf(c.name).c_str(), text), c.expected);
        EXPECT_EQ(text, c.text);
    }
    std::string text;
    EXPECT_EQ(ReadDataFile("/dev/null", text), DataFileOpen::NotRegular);
}

TEST_F(DataFileTest, AFileThatCannotBeOpenedIsToldApartFromAMissingOne)
{
    const std::string path = folder.Write("locked.xml", "<a/>");
    chmod(path.c_str(), 0);
    chmod(folder.path.c_str(), 0755);
    const auto readsAsFailed = [&path] {
        std::string text;
        return ReadDataFile(path.c_str(), text) == DataFileOpen::Failed && text.empty();
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(readsAsFailed());
        return;
    }
    // Root opens any file: the check runs as another account, in a child.
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no other account to run as";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
        _exit(!dropped ? 2 : readsAsFailed() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "could not run as nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(DataFileTest, LinksAreFollowedToTheFileASaveMustReplace)
{
    fs::create_directory(folder.PathOf("real"));
    const std::string target = folder.PathOf("real/diary.xml");
    fs::create_symlink(target, folder.PathOf("absolute"));
    fs::create_symlink("real/diary.xml", folder.PathOf("relative"));
    fs::create_symlink("../relative", folder.PathOf("real/back"));
    fs::create_symlink("relative", folder.PathOf("chain"));
    fs::create_symlink("loop", folder.PathOf("loop"));
    fs::create_symlink("real/new.xml", folder.PathOf("dangling"));
    const struct {
        std::string path;
        std::string resolved;
    } cases[] = {
        {folder.PathOf("plain.xml"), folder.PathOf("plain.xml")},
        {folder.PathOf("absolute"), target},
        {folder.PathOf("relative"), folder.PathOf("real/diary.xml")},
        {folder.PathOf("chain"), folder.PathOf("real/diary.xml")},
        {folder.PathOf("real/back"), folder.PathOf("real/../real/diary.xml")},
        {"plain.xml", "plain.xml"},
        // A dangling link names where the file is to be made.
        {folder.PathOf("dangling"), folder.PathOf("real/new.xml")},
        // A loop ends somewhere in the loop, where the save then fails.
        {folder.PathOf("loop"), folder.PathOf("loop")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ResolveLinks(c.path), c.resolved);
    }
}
#endif

#ifndef _WIN32
// In a folder others may write to, a link planted by another user must not
// turn a save onto another of this user's files: it is not followed, and
// nothing is written, there or where it points.
TEST_F(DataFileTest, AnotherUsersLinkIsNotFollowedAndNothingIsSavedThroughIt)
{
    const std::string victim = folder.Write("notes.xml", "<notes>mine</notes>");
    fs::create_symlink(victim, folder.PathOf("planted.xml"));
    fs::create_symlink("planted.xml", folder.PathOf("own.xml"));
    if (lchown(folder.PathOf("planted.xml").c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "only root can give a link another owner";
    for (const char* name : {"planted.xml", "own.xml"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ResolveLinks(folder.PathOf(name)), "");
        tinyxml2::XMLDocument doc;
        doc.InsertEndChild(doc.NewElement("VitrelAdvancedSettings"));
        EXPECT_FALSE(SaveDocumentAtomically(doc, folder.PathOf(name).c_str(),
                                            [](const std::string&) { return true; }));
        std::string text;
        ASSERT_EQ(ReadDataFile(victim.c_str(), text), DataFileOpen::Opened);
        EXPECT_EQ(text, "<notes>mine</notes>");
        EXPECT_TRUE(fs::is_symlink(folder.PathOf(name)));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 3);
}
#endif

TEST_F(DataFileTest, TheLockIsExclusiveUntilReleasedAndLeavesNothingBehind)
{
    const std::string target = folder.PathOf("DiaryHistoryDB.xml");
    EXPECT_EQ(LockFileOf(target), folder.PathOf(".DiaryHistoryDB.xml.lock"));
    EXPECT_EQ(LockFileOf("DiaryHistoryDB.xml"), ".DiaryHistoryDB.xml.lock");

    FileLock first;
    ASSERT_TRUE(first.Acquire(target, 0));
    FileLock second;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Acquire(target, 100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    // Another file has its own lock.
    FileLock other;
    EXPECT_TRUE(other.Acquire(folder.PathOf("AdvancedSettings.xml"), 0));

    first.Release();
    EXPECT_FALSE(first.Held());
    EXPECT_TRUE(second.Acquire(target, 0));
    second.Release();
    other.Release();
    EXPECT_TRUE(fs::is_empty(folder.path));
}

TEST_F(DataFileTest, NoLockInAFolderThatCannotBeWritten)
{
    FileLock lock;
    EXPECT_FALSE(lock.Acquire(folder.PathOf("gone/DiaryHistoryDB.xml"), 0));
    EXPECT_FALSE(lock.Held());
}

// Start-up clean-up must not take the temporary of a save that is running
// in another copy of the program.
TEST_F(DataFileTest, LeftoverTemporariesAreRemovedOnlyWhenNoSaveHoldsTheLock)
{
    const std::string target = folder.PathOf("DiaryHistoryDB.xml");
    folder.Write("DiaryHistoryDB.xml", "<HistoryDoc/>");
    folder.Write(".DiaryHistoryDB.xml.a1B2c3", "half a save");
    {
        FileLock saving;
        ASSERT_TRUE(saving.Acquire(target, 0));
        RemoveLeftoverTemporaries(target.c_str());
        EXPECT_TRUE(fs::exists(folder.PathOf(".DiaryHistoryDB.xml.a1B2c3")));
    }
    RemoveLeftoverTemporaries(target.c_str());
    EXPECT_FALSE(fs::exists(folder.PathOf(".DiaryHistoryDB.xml.a1B2c3")));
    EXPECT_EQ(folder.Read("DiaryHistoryDB.xml"), "<HistoryDoc/>");
}

}  // namespace
