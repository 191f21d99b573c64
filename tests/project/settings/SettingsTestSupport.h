#pragma once

#include "project/settings/CSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <variant>
#include <vector>

namespace tarlo::test {

inline const CSettings::Key& settingKey(std::string_view name) {
    for (const CSettings::Key& key : CSettings::keys())
        if (key.name == name)
            return key;
    ADD_FAILURE() << "no key " << name;
    return CSettings::keys().front();
}

inline double settingValue(CSettings& settings, const CSettings::Key& key) {
    return std::visit([](auto* field) { return static_cast<double>(*field); }, key.field(settings));
}

// Names of the keys whose values differ, so a failure says which ones.
inline std::vector<std::string> differingKeys(CSettings a, CSettings b) {
    std::vector<std::string> names;
    for (const CSettings::Key& key : CSettings::keys())
        if (settingValue(a, key) != settingValue(b, key))
            names.emplace_back(key.name);
    return names;
}

// A different value for every key that the settings window would still accept, with
// fractions that need the full precision of the file.
inline CSettings everyKeyChanged() {
    CSettings settings;
    for (const CSettings::Key& key : CSettings::keys()) {
        std::visit(
            [](auto* field) {
                using T = std::remove_pointer_t<decltype(field)>;
                if constexpr (std::is_same_v<T, bool>)
                    *field = !*field;
                else if constexpr (std::is_same_v<T, double>)
                    *field *= 1.5;
                else if constexpr (std::is_same_v<T, unsigned>)
                    *field ^= 0x010101u;
                else
                    *field += 1;
            },
            key.field(settings));
    }
    return settings;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A fresh folder per test, removed afterwards.
class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        m_Dir = std::filesystem::temp_directory_path() /
                ("tarlo_settings_" + std::to_string(::getpid()) + "_" + name);
        std::filesystem::remove_all(m_Dir);
        std::filesystem::create_directories(m_Dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    std::filesystem::path m_Dir;
};

} // namespace tarlo::test
