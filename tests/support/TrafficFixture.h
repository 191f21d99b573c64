#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarlo::test {

// A vehicle as a CASTOR record states it (file units: 0.1 m/s, 0.1 t, 0.1 m).
struct CastorRecord {
    unsigned hour = 0, minute = 0, second = 0, hundredths = 0;
    unsigned day = 1, month = 1, year = 0;
    unsigned speedDm = 250; // 25.0 m/s
    unsigned gvwDt = 150;   // 15.0 t
    unsigned lengthDm = 40; // 4.0 m
    unsigned direction = 1, lane = 1;
    // Axle weight (0.1 t) and spacing to the next axle (0.1 m).
    std::vector<std::pair<unsigned, unsigned>> axles = {{60, 30}, {60, 0}};
};

inline std::string castorLine(const CastorRecord& r) {
    char text[128];
    std::snprintf(text, sizeof text, "1001%2u%2u%2u%2u%2u%2u%2u%3u%4u%3u%1zu%1u%1u  0", r.day,
                  r.month, r.year, r.hour, r.minute, r.second, r.hundredths, r.speedDm, r.gvwDt,
                  r.lengthDm, r.axles.size(), r.direction, r.lane);
    std::string line = text;
    for (const auto& [weight, spacing] : r.axles) {
        std::snprintf(text, sizeof text, "%3u%2u", weight, spacing);
        line += text;
    }
    return line;
}

// A fresh folder under the system temporary folder, removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& name)
        : m_Path(std::filesystem::temp_directory_path() /
                 (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(m_Path);
        std::filesystem::create_directories(m_Path);
    }
    ~TempDir() { std::filesystem::remove_all(m_Path); }
    std::string file(const std::string& name) const { return (m_Path / name).string(); }

private:
    std::filesystem::path m_Path;
};

// A file's bytes as they stand, and a file written with exactly the bytes given.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string writeCastorFile(const TempDir& dir, const std::string& name,
                                   const std::vector<CastorRecord>& records) {
    const std::string path = dir.file(name);
    std::ofstream out(path, std::ios::binary);
    for (const CastorRecord& r : records)
        out << castorLine(r) << "\r\n";
    return path;
}

} // namespace tarlo::test
