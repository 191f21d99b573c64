#include "bridges/CILFileParser.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tarlo {

namespace {

constexpr std::string_view WhiteSpace = " \t\n\v\f\r";

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(WhiteSpace);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(WhiteSpace);
    return text.substr(first, last - first + 1);
}

// The number at the start of text after any blanks; what follows it is ignored. Read the
// same way in every locale.
template <class T> std::optional<T> extractNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(WhiteSpace);
    if (first == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(first);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    T value{};
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc{})
        return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

} // namespace

ILReadStatus CILFileParser::ReadILs(const std::filesystem::path& path) {
    m_NoILs = 0;
    m_vILs.clear();
    if (!Open(path, ","))
        return ILReadStatus::NotOpened;
    ILReadStatus status = ILReadStatus::Read;
    try {
        if (!ReadAll())
            status = ILReadStatus::Malformed;
    } catch (const std::exception&) {
        status = ILReadStatus::Failed;
    }
    Close();
    if (status != ILReadStatus::Read)
        m_vILs.clear();
    return status;
}

bool CILFileParser::ReadAll() {
    std::string line;
    GetLine(line);
    const std::optional<int> count = extractNumber<int>(line);
    if (!count || *count < 0)
        return false;
    m_NoILs = *count;
    for (int k = 1; k <= m_NoILs; ++k) {
        if (!ReadIL(k))
            return false;
    }
    return true;
}

bool CILFileParser::ReadIL(int k) {
    std::string line;
    GetLine(line);
    const std::optional<int> id = extractNumber<int>(GetField(0));
    const std::optional<int> points = extractNumber<int>(GetField(1));
    // A line without points has no length and nothing to evaluate.
    if (!id || !points || *points < 1)
        return false;

    CInfLineDiscrete il;
    il.SetID(*id);
    if (GetFieldCount() == 3)
        il.setDescription(std::string(trim(GetField(2))));
    else
        il.setDescription("Imported IL no. " + std::to_string(k));

    // Grown point by point: the count in the header is not trusted with an allocation.
    std::vector<double> distances;
    std::vector<double> ordinates;
    for (int p = 0; p < *points; ++p) {
        GetLine(line);
        const std::optional<double> distance = extractNumber<double>(GetField(0));
        const std::optional<double> ordinate = extractNumber<double>(GetField(1));
        if (!distance || !ordinate)
            return false;
        distances.push_back(*distance);
        ordinates.push_back(*ordinate);
    }
    il.SetPoints(std::move(distances), std::move(ordinates));
    m_vILs.push_back(std::move(il));
    return true;
}

} // namespace tarlo
