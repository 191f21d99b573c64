#include "cli/ReplacedFile.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace tarlo::cli {

namespace {

namespace fs = std::filesystem;

// A hidden name beside the target, of this process alone; the same folder keeps the
// final rename on one file system, where it replaces the target in one step.
std::string temporaryPath(const std::string& target) {
    const fs::path path(target);
    return (path.parent_path() /
            ("." + path.filename().string() + ".tarlo-" + std::to_string(::getpid()) + ".tmp"))
        .string();
}

bool replaceable(const std::string& target) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    return !fs::exists(status) || fs::is_regular_file(status);
}

} // namespace

ReplacedFile::ReplacedFile(std::string target)
    : m_Target(std::move(target)),
      m_WritePath(replaceable(m_Target) ? temporaryPath(m_Target) : m_Target) {}

ReplacedFile::~ReplacedFile() {
    if (writesTemporary() && !m_Committed) {
        std::error_code error;
        fs::remove(m_WritePath, error);
    }
}

bool ReplacedFile::commit() {
    if (writesTemporary()) {
        std::error_code error;
        fs::rename(m_WritePath, m_Target, error);
        if (error)
            return false;
    }
    m_Committed = true;
    return true;
}

} // namespace tarlo::cli
