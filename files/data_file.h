#pragma once
// How the program's data files are read, found behind links and locked.
//
// Only regular files are read: a FIFO, a device, a socket or a folder in
// place of a data file is refused at once, without waiting for a writer.
// Saves replace the file a link points at, never the link. Writers of one
// file serialise on a lock file beside it, so that two copies of the program
// saving at the same moment cannot lose each other's changes.

#include <cstdio>
#include <string>

enum class DataFileOpen {
    Opened,
    Missing,  // nothing by that name
    NotRegular,  // a folder, FIFO, socket or device
    Failed,  // exists but cannot be opened or read (permissions, I/O error)
};

// Opens path for reading in binary mode when it is a regular file. Opening
// never blocks, whatever path names. On anything but Opened, file is null.
DataFileOpen OpenDataFile(const char* path, std::FILE*& file);

// Reads the whole regular file at path into text (emptied first).
DataFileOpen ReadDataFile(const char* path, std::string& text);

// The path a save of path must replace: the file at the end of the chain of
// symbolic links starting at path (relative links are taken from the folder
// of the link), or path itself when it is no link. A dangling link gives the
// path it points to, where the save then creates the file. Only links that
// belong to the user or to root are followed: with another owner's link on
// the way the result is empty, and nothing is saved through it (POSIX).
std::string ResolveLinks(const std::string& path);

// The lock file that serialises writers of target: "." + target's name +
// ".lock" beside it.
std::string LockFileOf(const std::string& target);

// An exclusive lock on the lock file of a target, held until the object is
// destroyed. Every read-modify-write of a shared file happens under it.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits at most waitMilliseconds for the lock of target (a path already
    // resolved with ResolveLinks). False when another holder keeps it that
    // long, or the lock file cannot be made (a folder that cannot be written,
    // where a save fails anyway).
    bool Acquire(const std::string& target, int waitMilliseconds);
    bool Held() const;
    // Gives the lock up and removes its file; nothing is left in the folder.
    void Release();

private:
#ifdef _WIN32
    void* handle = nullptr;
#else
    int fd = -1;
#endif
    std::string path;
};

// How long a save waits for another copy's save of the same file: far longer
// than a save takes, short enough that a hung copy does not hang this one.
constexpr int SaveLockWaitMilliseconds = 5000;
