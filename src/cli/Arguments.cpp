#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarlo::cli {

namespace {

bool isOption(const std::string& token) {
    return token.size() > 1 && token[0] == '-';
}

} // namespace

std::string enumerate(const std::vector<std::string>& items, const std::string& lastJoin) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? lastJoin : ", ";
        text += items[i];
    }
    return text;
}

bool asksForHelp(const std::vector<std::string>& tokens) {
    for (const std::string& token : tokens) {
        if (token == "--")
            return false;
        if (token == "--help" || token == "-h")
            return true;
    }
    return false;
}

Arguments::Arguments(const std::vector<std::string>& tokens, const std::vector<std::string>& known,
                     const std::string& command, const std::vector<std::string>& flags)
    : m_Command(command) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (optionsEnded || !isOption(token)) {
            m_vPositional.push_back(token);
            continue;
        }
        if (token == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = token.find('=');
        const std::string name = token.substr(0, equals);
        const std::string option = name.substr(2);
        if (name.rfind("--", 0) == 0 &&
            std::find(flags.begin(), flags.end(), option) != flags.end()) {
            if (equals != std::string::npos)
                throw error("option " + name + " takes no value");
            if (!m_Flags.insert(option).second)
                throw error("option " + name + " given twice");
            continue;
        }
        if (name.rfind("--", 0) != 0 ||
            std::find(known.begin(), known.end(), option) == known.end())
            throw error("unknown option " + name);
        if (m_Values.count(option))
            throw error("option " + name + " given twice");
        if (equals != std::string::npos) {
            m_Values[option] = token.substr(equals + 1);
        } else if (i + 1 < tokens.size()) {
            m_Values[option] = tokens[++i];
        } else {
            throw error("option " + name + " needs a value");
        }
    }
}

void Arguments::expectPositional(const std::vector<std::string>& names) const {
    if (m_vPositional.size() < names.size()) {
        const std::vector<std::string> missing(names.begin() + m_vPositional.size(), names.end());
        throw error("missing " + enumerate(missing, " and "));
    }
    if (m_vPositional.size() > names.size())
        throw error("unexpected argument '" + m_vPositional[names.size()] + "'");
    for (std::size_t i = 0; i < names.size(); ++i)
        if (m_vPositional[i].empty())
            throw error(names[i] + " is empty");
}

std::optional<std::string> Arguments::value(const std::string& name) const {
    const auto found = m_Values.find(name);
    if (found == m_Values.end())
        return std::nullopt;
    return found->second;
}

std::string Arguments::required(const std::string& name) const {
    const auto found = m_Values.find(name);
    if (found == m_Values.end())
        throw error("missing option --" + name);
    return found->second;
}

double Arguments::number(const std::string& name, double fallback) const {
    const std::optional<std::string> text = value(name);
    if (!text)
        return fallback;
    double result = 0.0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, result);
    if (text->empty() || ec != std::errc() || ptr != end || !std::isfinite(result) || result < 0.0)
        throw error("--" + name + " must be a number of 0 or more, not '" + *text + "'");
    return result;
}

std::uint64_t Arguments::count(const std::string& name, std::uint64_t fallback) const {
    const std::optional<std::string> text = value(name);
    if (!text)
        return fallback;
    std::uint64_t result = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, result);
    if (text->empty() || ec != std::errc() || ptr != end)
        throw error("--" + name + " must be a whole number of 0 or more, not '" + *text + "'");
    return result;
}

UsageError Arguments::error(const std::string& message) const {
    return UsageError(message, m_Command);
}

} // namespace tarlo::cli
