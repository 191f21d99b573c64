#pragma once

#include "bridges/CILFileParser.h"
#include "bridges/CInfLineDiscrete.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarlo {

// What an influence-line import did, for the command that shows it.
struct ILImportResult {
    ILReadStatus m_Status = ILReadStatus::NotOpened;
    // The number of lines read from the file (and appended).
    int m_NoImported = 0;
    // The file the import read.
    std::string m_Path;

    bool Succeeded() const { return m_Status == ILReadStatus::Read; }
    // The text of the message box that ends the command; a failure names the file.
    std::string GetMessage() const;
    // The output log text of a successful import, empty after a failed one.
    std::string GetLogText() const;
};

// Appends the lines of an influence-line file to lines, in file order, numbered on from the
// lines already there: with c lines present the k-th line read gets ID c + k, whatever number
// the file gave it. Nothing is appended unless the whole file reads.
ILImportResult ImportILFile(const std::filesystem::path& path,
                            std::vector<CInfLineDiscrete>& lines);

} // namespace tarlo
