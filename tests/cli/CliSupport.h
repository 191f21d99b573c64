#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tarlo::test {

// A fresh directory per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tarlo-cli-") + info->test_suite_name() + "-" +
                           info->name() + "-" + std::to_string(::getpid());
        for (char& c : name)
            if (c == '/')
                c = '_';
        m_Path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_Path);
        std::filesystem::create_directories(m_Path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (m_Path / name).string(); }
    const std::filesystem::path& path() const { return m_Path; }

private:
    std::filesystem::path m_Path;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built `tarlo` with the arguments (a shell-quoted string) in a clean
// environment, after the shell text `before` (commands ending with "; " or a pipe's
// producer ending with " | "): the user's configuration folder is `configHome`, so no
// settings file of the machine is read.
inline CliResult runTarloAfter(const TempDir& dir, const std::string& before,
                               const std::string& arguments, const std::string& configHome = "") {
    const std::string out = dir.file("stdout.txt");
    const std::string err = dir.file("stderr.txt");
    const std::string home = configHome.empty() ? dir.file("config") : configHome;
    const std::string command = before + "XDG_CONFIG_HOME='" + home + "' '" + TARLO_CLI_BINARY +
                                "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

inline CliResult runTarlo(const TempDir& dir, const std::string& arguments,
                          const std::string& configHome = "", const std::string& producer = "") {
    return runTarloAfter(dir, producer.empty() ? "" : producer + " | ", arguments, configHome);
}

// Runs `tarlo` as runTarlo does under the shell's resource limits (`ulimit` options). The
// signal for passing the file size limit is ignored, so that a write beyond it fails as on
// a full disk rather than ending the program.
inline CliResult runTarloLimited(const TempDir& dir, const std::string& limits,
                                 const std::string& arguments) {
    return runTarloAfter(dir, "trap '' XFSZ; ulimit " + limits + "; ", arguments);
}

// Runs `tarlo` as runTarlo does, with its standard input the output of a shell command.
inline CliResult runTarloReading(const TempDir& dir, const std::string& producer,
                                 const std::string& arguments) {
    return runTarlo(dir, arguments, "", producer);
}

// The number after "label: " on its own line of the output, or -1.
inline long long reportedNumber(const std::string& output, const std::string& label) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(label + ": ", 0) == 0)
            return std::stoll(line.substr(label.size() + 2));
    return -1;
}

} // namespace tarlo::test
