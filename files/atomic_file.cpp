#include "files/atomic_file.h"

#include <filesystem>
#include <system_error>

#include <tinyxml2.h>

#include "files/data_file.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char* const Separators = "/\\";
#else
const char* const Separators = "/";
#endif

constexpr std::string::size_type UniquePartLength = 6;

// Start-up does not wait long for another copy's save to end.
constexpr int LeftoverLockWaitMilliseconds = 200;

// The folder part of path including its trailing separator, or "" for a bare name.
std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of(Separators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of(Separators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary name of a save of target without its unique part.
std::string TemporaryPrefix(const std::string& target)
{
    return FolderOf(target) + "." + BaseNameOf(target) + ".";
}

bool IsTemporaryName(const std::string& name, const std::string& base)
{
    const std::string prefix = "." + base + ".";
    if (name.size() != prefix.size() + UniquePartLength || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::string::size_type i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

}  // namespace

#ifdef _WIN32
std::FILE* SaveFileSystem::CreateTemporary(const std::string& target, std::string& temp)
{
    static const char Characters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned long long seed = GetTickCount64() * 2654435761u + GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = TemporaryPrefix(target);
        for (std::string::size_type i = 0; i < UniquePartLength; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            temp += Characters[(seed >> 33) % (sizeof Characters - 1)];
        }
        if (std::FILE* file = std::fopen(temp.c_str(), "wbx"))
            return file;
    }
    return nullptr;
}

bool SaveFileSystem::Sync(std::FILE* file)
{
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool SaveFileSystem::Rename(const std::string& temp, const std::string& target)
{
    // Narrow paths are in the system code page, as for fopen.
    auto wide = [](const std::string& path) {
        const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        std::wstring text(length > 0 ? length : 1, L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &text[0], length);
        return text;
    };
    return MoveFileExW(wide(temp).c_str(), wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
           != 0;
}

bool SaveFileSystem::SyncFolder(const std::string&)
{
    return true;
}
#else
// With the permissions of the file it will replace (or the usual ones for a
// new file).
std::FILE* SaveFileSystem::CreateTemporary(const std::string& target, std::string& temp)
{
    temp = TemporaryPrefix(target) + std::string(UniquePartLength, 'X');
    const int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return nullptr;
    struct stat existing;
    if (stat(target.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        std::remove(temp.c_str());
    }
    return file;
}

bool SaveFileSystem::Sync(std::FILE* file)
{
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool SaveFileSystem::Rename(const std::string& temp, const std::string& target)
{
    return std::rename(temp.c_str(), target.c_str()) == 0;
}

bool SaveFileSystem::SyncFolder(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    return close(fd) == 0 && synced;
}
#endif

bool SaveFileSystem::Write(std::FILE* file, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool SaveFileSystem::Close(std::FILE* file)
{
    return std::fclose(file) == 0;
}

void SaveFileSystem::Remove(const std::string& temp)
{
    std::remove(temp.c_str());
}

SaveFileSystem& DiskFileSystem()
{
    static SaveFileSystem disk;
    return disk;
}

bool SaveDocumentAtomically(tinyxml2::XMLDocument& doc, const char* path, const ReadBackCheck& readsBack,
                            SaveFileSystem& files)
{
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    const std::string text(printer.CStr(), printer.CStrSize() - 1);
    return readsBack(text) && SaveTextAtomically(text, path, files);
}

bool SaveTextAtomically(const std::string& text, const char* path, SaveFileSystem& files)
{
    if (path == nullptr || *path == '\0')
        return false;
    // Through a link, the file it points at is replaced; the link stays.
    const std::string target = ResolveLinks(path);
    const std::string base = BaseNameOf(target);
    if (base.empty() || base == "." || base == "..")
        return false;

    std::string temp;
    std::FILE* file = files.CreateTemporary(target, temp);
    if (file == nullptr)
        return false;
    // The data must be on the disk before the name points at it: otherwise
    // a power cut after the rename can leave an empty file.
    const bool written = files.Write(file, text) && files.Sync(file);
    if (!files.Close(file) || !written || !files.Rename(temp, target)) {
        files.Remove(temp);
        return false;
    }
    // The new content is in place; a folder that cannot be synced does not undo that.
    files.SyncFolder(target);
    return true;
}

void RemoveLeftoverTemporaries(const char* path)
{
    // Every save holds the lock from making its temporary to renaming or
    // removing it: under the lock, a temporary belongs to no live save. When
    // another copy keeps the lock, its temporaries stay for a later start.
    const std::string target = ResolveLinks(path);
    FileLock lock;
    if (target.empty() || !lock.Acquire(target, LeftoverLockWaitMilliseconds))
        return;
    const std::string folder = FolderOf(target);
    const std::string base = BaseNameOf(target);
    std::error_code error;
    std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code ignored;
        if (IsTemporaryName(entry->path().filename().string(), base) && entry->is_regular_file(ignored))
            std::filesystem::remove(entry->path(), ignored);
    }
}
