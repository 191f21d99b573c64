#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarlo::iltest {

inline std::filesystem::path bridgeData(const std::string& name) {
    return std::filesystem::path(TARLO_TEST_DATA) / "bridges" / name;
}

// A directory of its own for the running test, removed afterwards. Files are written in
// binary mode so that the line ends stay exactly as given.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_Path = std::filesystem::temp_directory_path() /
                 ("tarlo_il_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_Path);
        std::filesystem::create_directories(m_Path);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }

    std::filesystem::path write(const std::string& name, const std::string& content) const {
        const std::filesystem::path path = m_Path / name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path;
    }
    const std::filesystem::path& path() const { return m_Path; }

private:
    std::filesystem::path m_Path;
};

} // namespace tarlo::iltest
