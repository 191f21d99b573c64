#pragma once

#include <string>

namespace tarlo::cli {

// A file written whole or not at all. The writing goes to a temporary file in the target's
// folder, which takes the target's place only once it is complete; until then, and for
// good when the writing fails, the target stays as it was. A target that exists but is no
// regular file (a device, a pipe) cannot be replaced that way and is written directly.
class ReplacedFile {
public:
    explicit ReplacedFile(std::string target);
    // Removes the temporary file when it never took the target's place.
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // The file to write.
    const std::string& writePath() const { return m_WritePath; }
    // Puts the written file in the target's place; false when it cannot.
    bool commit();

private:
    bool writesTemporary() const { return m_WritePath != m_Target; }

    std::string m_Target;
    std::string m_WritePath;
    bool m_Committed = false;
};

} // namespace tarlo::cli
