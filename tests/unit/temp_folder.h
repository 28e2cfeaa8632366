#pragma once
// A fresh temporary folder for one test, removed with its content afterwards.

#include <filesystem>
#include <fstream>
#include <random>
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
        // Portable (the device tests also build for Windows): a fresh name
        // under the system's temporary folder.
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("vitrel-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error))
                path = candidate;
        }
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
