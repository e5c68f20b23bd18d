#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace wavtest {

// The descriptors this process holds open on path, as /proc/self/fd lists them.
inline std::vector<int> DescriptorsOpenOn(const std::string& path) {
    std::vector<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) != path) continue;
        found.push_back(std::stoi(entry.path().filename().string()));
    }
    return found;
}

}  // namespace wavtest
