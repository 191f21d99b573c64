#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarlo {

// Reads a delimited text file line by line and splits each line into fields. Fields may be
// quoted with double quotes (a doubled quote inside stands for one quote); lines may end in
// CR LF, CR or LF.
class CCSVParse {
public:
    CCSVParse() = default;
    CCSVParse(const CCSVParse&) = delete;
    CCSVParse& operator=(const CCSVParse&) = delete;
    virtual ~CCSVParse() = default;

    // Any character of the separator set ends a plain field. A UTF-8 byte order mark at the
    // start of the file is skipped.
    bool Open(const std::filesystem::path& path, const std::string& separators);
    void Close();
    // Reads and splits the next line and copies its text to line; false once the end of the
    // file had been reached before anything was read (line is then empty, with no fields).
    bool GetLine(std::string& line);
    // Field n of the current line, counted from 0; empty when the line has no such field.
    const std::string& GetField(int n) const;
    int GetFieldCount() const { return m_FieldCount; }

private:
    void Split();
    // Copies a plain field starting at pos; returns the position of the separator that ended
    // it, npos at the end of the line.
    std::size_t ReadPlain(std::size_t pos, std::string& field) const;
    // Same for a quoted field whose text starts at pos, just after the opening quote.
    std::size_t ReadQuoted(std::size_t pos, std::string& field) const;

    std::ifstream m_File;
    std::string m_Line;
    // The slots are reused from line to line; only the first m_FieldCount belong to the
    // current line.
    std::vector<std::string> m_vFields;
    int m_FieldCount = 0;
    std::string m_Separators;
};

} // namespace tarlo
