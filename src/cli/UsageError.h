#pragma once

#include <stdexcept>
#include <string>

namespace tarlo::cli {

// A command line the program cannot act on. `command` names the command whose help
// explains the right use ("traffic info"); empty for the program as a whole.
class UsageError : public std::runtime_error {
public:
    UsageError(const std::string& message, std::string command = {})
        : std::runtime_error(message), m_Command(std::move(command)) {}

    const std::string& command() const { return m_Command; }

private:
    std::string m_Command;
};

} // namespace tarlo::cli
