#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tarlo::test {

// A fresh directory per test under the system temp folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        m_Path = std::filesystem::temp_directory_path() / ("tarlo_traffic_" + name);
        std::filesystem::remove_all(m_Path);
        std::filesystem::create_directories(m_Path);
    }
    ~TempDir() { std::filesystem::remove_all(m_Path); }

    std::string file(const std::string& name) const { return (m_Path / name).string(); }

    // Writes the bytes exactly as given.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string path = file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path m_Path;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tarlo::test
