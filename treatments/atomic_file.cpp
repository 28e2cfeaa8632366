#include "treatments/atomic_file.h"

#include <cstdio>
#include <string>

#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// The folder part of path including its trailing '/', or "" for a bare name.
std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool SaveDocumentAtomically(tinyxml2::XMLDocument& doc, const char* path)
{
    if (path == nullptr || *path == '\0')
        return false;
    const std::string target(path);
    const std::string base = BaseNameOf(target);
    if (base.empty() || base == "." || base == "..")
        return false;

    // The temporary file is hidden and unique, so two saves never share it.
    std::string temp = FolderOf(target) + "." + base + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return false;

    // mkstemp creates the file 0600: keep the permissions of the file being
    // replaced, or give a new file the usual ones.
    struct stat existing;
    if (stat(path, &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }

    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    const bool written = doc.SaveFile(file) == tinyxml2::XML_SUCCESS && !ferror(file)
                         && fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = fclose(file) == 0;
    if (!written || !closed || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}
