#pragma once

#include "cli/UsageError.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarlo::cli {

// The arguments of one command split into positional arguments and options. Every
// malformed use throws UsageError naming the command, so the caller can point at its help.
class Arguments {
public:
    // `known`: the names of the options the command takes, each with a value given as
    // "--name VALUE" or "--name=VALUE"; `flags`: the names of the options without a value.
    Arguments(const std::vector<std::string>& tokens, const std::vector<std::string>& known,
              const std::string& command, const std::vector<std::string>& flags = {});

    const std::vector<std::string>& positional() const { return m_vPositional; }
    // Demands exactly the named positional arguments, e.g. {"IN", "OUT"}.
    void expectPositional(const std::vector<std::string>& names) const;

    bool has(const std::string& name) const { return m_Values.count(name) != 0; }
    // Whether the flag (an option without a value) was given.
    bool flag(const std::string& name) const { return m_Flags.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    // The option's value, or a usage error naming the option when it is missing.
    std::string required(const std::string& name) const;
    // A finite number >= 0.
    double number(const std::string& name, double fallback) const;
    // A whole number >= 0.
    std::uint64_t count(const std::string& name, std::uint64_t fallback) const;

    UsageError error(const std::string& message) const;

private:
    std::string m_Command;
    std::vector<std::string> m_vPositional;
    std::map<std::string, std::string> m_Values;
    std::set<std::string> m_Flags;
};

// "a", "a and b", "a, b and c" (with `lastJoin` " and ").
std::string enumerate(const std::vector<std::string>& items, const std::string& lastJoin);

// True when the tokens ask for help ("--help" or "-h" before any "--").
bool asksForHelp(const std::vector<std::string>& tokens);

} // namespace tarlo::cli
