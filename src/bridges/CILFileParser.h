#pragma once

#include "bridges/CCSVParse.h"
#include "bridges/CInfLineDiscrete.h"

#include <filesystem>
#include <vector>

namespace tarlo {

enum class ILReadStatus {
    Read,
    NotOpened,
    // The file does not hold what its counts announce: a count, ID or point count that is
    // not a number, a point count below 1, or a distance or ordinate that is not a finite
    // number (a missing line reads as an empty one).
    Malformed,
    // Reading failed, for example for lack of memory.
    Failed
};

// Reads an influence-line file: a first line with the number of lines N, then for each line
// a header "ID,P[,description]" followed by P lines "distance,ordinate". Anything after the
// N-th line is ignored.
class CILFileParser : public CCSVParse {
public:
    // Keeps the lines only when the whole file reads.
    ILReadStatus ReadILs(const std::filesystem::path& path);
    // The number of lines the file announced.
    int GetNoILs() const { return m_NoILs; }
    // Hands the lines over, in file order.
    std::vector<CInfLineDiscrete> TakeILs() { return std::move(m_vILs); }

private:
    bool ReadAll();
    // Line k of the file, counted from 1.
    bool ReadIL(int k);

    int m_NoILs = 0;
    std::vector<CInfLineDiscrete> m_vILs;
};

} // namespace tarlo
