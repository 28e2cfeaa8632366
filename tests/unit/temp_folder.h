#pragma once
// A fresh folder under /tmp for one test, removed with its content afterwards.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path)
{
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/vitrel-test-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Made() const { return !path.empty(); }
    std::string PathOf(const std::string& name) const { return (path / name).string(); }

    // Writes `content` to the file `name` in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << content;
        return PathOf(name);
    }
    std::string Read(const std::string& name) const { return ReadWholeFile(PathOf(name)); }

    std::filesystem::path path;
};
