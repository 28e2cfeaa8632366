#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace tinyxml2 {
class XMLDocument;
}

// The file-system steps of a save. Saves make them through this interface,
// so the order in which their data reaches the disk can be observed; the base
// class is the real file system.
class SaveFileSystem {
public:
    virtual ~SaveFileSystem() = default;
    // A new, empty temporary file beside target, named "." + target's name +
    // "." + six letters or digits (temp receives its path); null on failure.
    virtual std::FILE* CreateTemporary(const std::string& target, std::string& temp);
    virtual bool Write(std::FILE* file, const std::string& text);
    // Hands the buffered data to the system and forces it to the disk.
    virtual bool Sync(std::FILE* file);
    virtual bool Close(std::FILE* file);
    // Replaces target by temp; on Windows the move itself writes through.
    virtual bool Rename(const std::string& temp, const std::string& target);
    // Forces the folder entry of target to the disk (POSIX).
    virtual bool SyncFolder(const std::string& target);
    virtual void Remove(const std::string& temp);
};

SaveFileSystem& DiskFileSystem();

// Whether the text about to replace a file reads back as all it must hold.
using ReadBackCheck = std::function<bool(const std::string& text)>;

// Writes doc to path so that path holds either its old content or the complete
// new one, never a half-written file: the text goes to a temporary file in the
// same folder, reaches the disk, and is then renamed over path. When path is
// a symbolic link, the file it points at is the one replaced (the temporary
// is made beside it) and the link stays. Text that readsBack refuses is never
// written. Returns false on any failure; path is then untouched and the
// temporary file removed. Callers that share the file with other processes
// hold its FileLock (files/data_file.h) around the save.
bool SaveDocumentAtomically(tinyxml2::XMLDocument& doc, const char* path, const ReadBackCheck& readsBack,
                            SaveFileSystem& files = DiskFileSystem());

// Writes text to path in the same way, without a read-back check: for files
// the program writes but never reads, such as exports.
bool SaveTextAtomically(const std::string& text, const char* path, SaveFileSystem& files = DiskFileSystem());

// Removes the temporary files that saves of path (of the file it links to),
// killed before their rename, left beside it. Only names a save makes are
// touched, and only under the file's lock, so that no live save loses its
// temporary.
void RemoveLeftoverTemporaries(const char* path);
