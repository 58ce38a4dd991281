// A registry of its own for one test: COMRT_REGISTRY points at a file in a fresh
// folder, which is removed (with the lock and any temporary files) afterwards. No test
// ever reaches the user's own registry.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempRegistry {
public:
    TempRegistry() {
        std::string pattern = (std::filesystem::temp_directory_path() / "comrt-registry-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        file_ = folder_ / "registry";
        const char* old = getenv("COMRT_REGISTRY");
        if (old) previous_ = old, hadPrevious_ = true;
        setenv("COMRT_REGISTRY", file_.c_str(), 1);
    }
    ~TempRegistry() {
        if (hadPrevious_) setenv("COMRT_REGISTRY", previous_.c_str(), 1);
        else unsetenv("COMRT_REGISTRY");
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& file() const { return file_; }
    const std::filesystem::path& folder() const { return folder_; }

    std::string Text() const {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::string& text) const {
        std::ofstream(file_, std::ios::binary) << text;
    }
    // Names in the folder other than the registry and its lock file.
    int Leftovers() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (name != "registry" && name != "registry.lock") ++count;
        }
        return count;
    }

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
    std::string previous_;
    bool hadPrevious_ = false;
};
