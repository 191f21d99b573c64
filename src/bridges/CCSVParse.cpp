#include "bridges/CCSVParse.h"

namespace tarlo {

namespace {

constexpr char Quote = '"';

} // namespace

bool CCSVParse::Open(const std::filesystem::path& path, const std::string& separators) {
    if (m_File.is_open())
        m_File.close();
    m_File.clear();
    m_Line.clear();
    m_FieldCount = 0;
    m_File.open(path, std::ios::binary);
    if (!m_File.is_open())
        return false;
    m_Separators = separators;
    // Spreadsheet programs start UTF-8 text files with a byte order mark.
    char bom[3] = {};
    if (!m_File.read(bom, 3) || bom[0] != '\xEF' || bom[1] != '\xBB' || bom[2] != '\xBF') {
        m_File.clear();
        m_File.seekg(0);
    }
    return true;
}

void CCSVParse::Close() {
    m_File.close();
}

bool CCSVParse::GetLine(std::string& line) {
    m_Line.clear();
    bool readSomething = false;
    if (m_File.is_open()) {
        std::streambuf& buffer = *m_File.rdbuf();
        for (;;) {
            const int c = buffer.sbumpc();
            if (c == std::char_traits<char>::eof())
                break;
            readSomething = true;
            if (c == '\r') {
                if (buffer.sgetc() == '\n')
                    buffer.sbumpc();
                break;
            }
            if (c == '\n')
                break;
            m_Line.push_back(static_cast<char>(c));
        }
    }
    Split();
    line = m_Line;
    return readSomething;
}

const std::string& CCSVParse::GetField(int n) const {
    static const std::string empty;
    if (n < 0 || n >= m_FieldCount)
        return empty;
    return m_vFields[static_cast<std::size_t>(n)];
}

void CCSVParse::Split() {
    m_FieldCount = 0;
    if (m_Line.empty())
        return;
    std::size_t pos = 0;
    for (;;) {
        if (m_vFields.size() <= static_cast<std::size_t>(m_FieldCount))
            m_vFields.emplace_back();
        std::string& field = m_vFields[static_cast<std::size_t>(m_FieldCount)];
        field.clear();
        const std::size_t end = pos < m_Line.size() && m_Line[pos] == Quote
                                    ? ReadQuoted(pos + 1, field)
                                    : ReadPlain(pos, field);
        ++m_FieldCount;
        if (end == std::string::npos)
            return;
        pos = end + 1;
    }
}

std::size_t CCSVParse::ReadPlain(std::size_t pos, std::string& field) const {
    const std::size_t end = m_Line.find_first_of(m_Separators, pos);
    field.assign(m_Line, pos, end == std::string::npos ? std::string::npos : end - pos);
    return end;
}

std::size_t CCSVParse::ReadQuoted(std::size_t pos, std::string& field) const {
    while (pos < m_Line.size()) {
        const char c = m_Line[pos];
        if (c != Quote) {
            field.push_back(c);
            ++pos;
        } else if (pos + 1 < m_Line.size() && m_Line[pos + 1] == Quote) {
            field.push_back(Quote);
            pos += 2;
        } else {
            // After the closing quote, the text up to the separator is taken as it stands.
            const std::size_t end = m_Line.find_first_of(m_Separators, pos + 1);
            field.append(m_Line, pos + 1,
                         end == std::string::npos ? std::string::npos : end - pos - 1);
            return end;
        }
    }
    return std::string::npos;
}

} // namespace tarlo
