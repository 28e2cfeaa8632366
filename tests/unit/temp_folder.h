#pragma once
// A fresh folder in the system's temporary folder for one test, removed with
// its content afterwards.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        // A random name, created only if no one has it yet (POSIX and Windows).
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; !error && path.empty() && attempt < 100; ++attempt) {
            const auto candidate = base / ("vitrel-test-" + std::to_string(random()));
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
    std::string Read(const std::string& name) const
    {
        std::ostringstream content;
        content << std::ifstream(PathOf(name), std::ios::binary).rdbuf();
        return content.str();
    }

    std::filesystem::path path;
};
