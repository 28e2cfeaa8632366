#include "files/data_file.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char* const Separators = "/\\";
#else
const char* const Separators = "/";
#endif

// Sleeps between two tries at a lock that another process holds.
void PauseBeforeRetry()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

bool Before(std::chrono::steady_clock::time_point deadline)
{
    return std::chrono::steady_clock::now() < deadline;
}

}  // namespace

#ifdef _WIN32
DataFileOpen OpenDataFile(const char* path, std::FILE*& file)
{
    file = nullptr;
    struct _stat64 named;
    if (path == nullptr || _stat64(path, &named) != 0)
        return path != nullptr && errno == ENOENT ? DataFileOpen::Missing : DataFileOpen::Failed;
    if ((named.st_mode & _S_IFMT) != _S_IFREG)
        return DataFileOpen::NotRegular;
    const int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return DataFileOpen::Failed;
    struct _stat64 opened;
    if (_fstat64(fd, &opened) != 0 || (opened.st_mode & _S_IFMT) != _S_IFREG) {
        _close(fd);
        return DataFileOpen::NotRegular;
    }
    file = _fdopen(fd, "rb");
    if (file == nullptr) {
        _close(fd);
        return DataFileOpen::Failed;
    }
    return DataFileOpen::Opened;
}
#else
DataFileOpen OpenDataFile(const char* path, std::FILE*& file)
{
    file = nullptr;
    // Looked at before it is opened: opening a serial device raises its
    // control lines, and a FIFO would wait for a writer without O_NONBLOCK.
    struct stat named;
    if (path == nullptr || stat(path, &named) != 0)
        return path != nullptr && (errno == ENOENT || errno == ENOTDIR) ? DataFileOpen::Missing
                                                                        : DataFileOpen::Failed;
    if (!S_ISREG(named.st_mode))
        return DataFileOpen::NotRegular;
    // Something else may have taken the name since: the open does not wait,
    // and what was opened is looked at again.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT  ? DataFileOpen::Missing
               : errno == ENXIO ? DataFileOpen::NotRegular
                                : DataFileOpen::Failed;
    struct stat opened;
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        close(fd);
        return DataFileOpen::NotRegular;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
        return DataFileOpen::Failed;
    }
    return DataFileOpen::Opened;
}
#endif

DataFileOpen ReadDataFile(const char* path, std::string& text)
{
    text.clear();
    std::FILE* file = nullptr;
    const DataFileOpen opened = OpenDataFile(path, file);
    if (opened != DataFileOpen::Opened)
        return opened;
    char chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, count);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        text.clear();
        return DataFileOpen::Failed;
    }
    return DataFileOpen::Opened;
}

#ifdef _WIN32
// Links to data files are a POSIX matter: on Windows making one needs rights
// users do not have, and a save replaces the name it was given.
std::string ResolveLinks(const std::string& path)
{
    return path;
}
#else
std::string ResolveLinks(const std::string& path)
{
    std::string current = path;
    // As the system does, a chain longer than this is taken for a loop; the
    // save then fails on the last name reached.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat link;
        if (lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            break;
        // In a folder others may write to, another user's link would send the
        // save onto any file this user may write.
        if (link.st_uid != geteuid() && link.st_uid != 0)
            return std::string();
        std::string target(link.st_size > 0 ? static_cast<size_t>(link.st_size) + 1 : 4096, '\0');
        const ssize_t length = readlink(current.c_str(), &target[0], target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size())
            break;
        target.resize(static_cast<size_t>(length));
        if (target[0] != '/') {
            const std::string::size_type slash = current.find_last_of(Separators);
            if (slash != std::string::npos)
                target = current.substr(0, slash + 1) + target;
        }
        current = target;
    }
    return current;
}
#endif

std::string LockFileOf(const std::string& target)
{
    const std::string::size_type slash = target.find_last_of(Separators);
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".lock";
}

FileLock::~FileLock()
{
    Release();
}

#ifdef _WIN32
bool FileLock::Acquire(const std::string& target, int waitMilliseconds)
{
    Release();
    const std::string lockPath = LockFileOf(target);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        // Deleted when the last holder closes it; while that is pending the
        // name cannot be opened, and the next try makes a new one.
        HANDLE file = CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            const bool pending = (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
                                 && (GetFileAttributesA(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES
                                     || GetLastError() == ERROR_ACCESS_DENIED);
            if (!pending || !Before(deadline))
                return false;
            PauseBeforeRetry();
            continue;
        }
        OVERLAPPED whole = {};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
            handle = file;
            path = lockPath;
            return true;
        }
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (error != ERROR_LOCK_VIOLATION || !Before(deadline))
            return false;
        PauseBeforeRetry();
    }
}

bool FileLock::Held() const
{
    return handle != nullptr;
}

void FileLock::Release()
{
    if (handle == nullptr)
        return;
    OVERLAPPED whole = {};
    UnlockFileEx(static_cast<HANDLE>(handle), 0, 1, 0, &whole);
    CloseHandle(static_cast<HANDLE>(handle));
    handle = nullptr;
    path.clear();
}
#else
bool FileLock::Acquire(const std::string& target, int waitMilliseconds)
{
    Release();
    const std::string lockPath = LockFileOf(target);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        const int file = open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file < 0)
            return false;
        if (flock(file, LOCK_EX | LOCK_NB) == 0) {
            // The holder before removes the file as it lets go: a lock on a
            // file that no longer carries the name locks nothing.
            struct stat held, named;
            if (fstat(file, &held) == 0 && stat(lockPath.c_str(), &named) == 0 && held.st_dev == named.st_dev
                && held.st_ino == named.st_ino) {
                fd = file;
                path = lockPath;
                return true;
            }
            close(file);
            continue;
        }
        const int error = errno;
        close(file);
        if (error != EWOULDBLOCK || !Before(deadline))
            return false;
        PauseBeforeRetry();
    }
}

bool FileLock::Held() const
{
    return fd >= 0;
}

void FileLock::Release()
{
    if (fd < 0)
        return;
    unlink(path.c_str());
    close(fd);
    fd = -1;
    path.clear();
}
#endif
