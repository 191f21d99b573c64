#include "bridges/ILImport.h"

#include <exception>
#include <utility>

namespace tarlo {

std::string ILImportResult::GetMessage() const {
    if (Succeeded())
        return "Influence line import was successful.";
    // Deliberately: the failure's first line starts with the file's name.
    return m_Path + ": Influence line import was unsuccessful.\nPlease check the file format.";
}

std::string ILImportResult::GetLogText() const {
    if (!Succeeded())
        return {};
    return "| No. of imported influence lines: " + std::to_string(m_NoImported);
}

ILImportResult ImportILFile(const std::filesystem::path& path,
                            std::vector<CInfLineDiscrete>& lines) {
    CILFileParser parser;
    ILImportResult result;
    result.m_Path = path.string();
    result.m_Status = parser.ReadILs(path);
    if (!result.Succeeded())
        return result;
    std::vector<CInfLineDiscrete> read = parser.TakeILs();
    result.m_NoImported = static_cast<int>(read.size());
    const std::size_t present = lines.size();
    try {
        for (std::size_t k = 0; k < read.size(); ++k) {
            read[k].SetID(static_cast<int>(present + k + 1));
            lines.push_back(std::move(read[k]));
        }
    } catch (const std::exception&) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(present), lines.end());
        return {ILReadStatus::Failed, 0, path.string()};
    }
    return result;
}

} // namespace tarlo
