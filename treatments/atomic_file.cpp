#include "treatments/atomic_file.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char* const Separators = "/\\";
#else
const char* const Separators = "/";
#endif

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

// Writes the document and forces it to the disk; closes the file.
bool WriteAndClose(tinyxml2::XMLDocument& doc, FILE* file)
{
#ifdef _WIN32
    const bool synced = fflush(file) == 0 && _commit(_fileno(file)) == 0;
#else
    const bool synced = fflush(file) == 0 && fsync(fileno(file)) == 0;
#endif
    const bool written = doc.SaveFile(file) == tinyxml2::XML_SUCCESS && !ferror(file) && synced;
    return fclose(file) == 0 && written;
}

#ifdef _WIN32
// A temporary file beside the target, created exclusively.
FILE* OpenTemporary(const std::string& target, std::string& temp)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = FolderOf(target) + "." + BaseNameOf(target) + "." +
               std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        if (FILE* file = std::fopen(temp.c_str(), "wbx"))
            return file;
    }
    return nullptr;
}

bool ReplaceFile(const std::string& temp, const std::string& target)
{
    return MoveFileExA(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
// A hidden, unique temporary file beside the target, with the permissions of
// the file it will replace (or the usual ones for a new file).
FILE* OpenTemporary(const std::string& target, std::string& temp)
{
    temp = FolderOf(target) + "." + BaseNameOf(target) + ".XXXXXX";
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
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        std::remove(temp.c_str());
    }
    return file;
}

bool ReplaceFile(const std::string& temp, const std::string& target)
{
    return std::rename(temp.c_str(), target.c_str()) == 0;
}
#endif

}  // namespace

bool SaveDocumentAtomically(tinyxml2::XMLDocument& doc, const char* path)
{
    if (path == nullptr || *path == '\0')
        return false;
    const std::string target(path);
    const std::string base = BaseNameOf(target);
    if (base.empty() || base == "." || base == "..")
        return false;

    std::string temp;
    FILE* file = OpenTemporary(target, temp);
    if (file == nullptr)
        return false;
    if (!WriteAndClose(doc, file) || !ReplaceFile(temp, target)) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
