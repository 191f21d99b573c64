#include "engine/OutputFiles.h"

namespace tarlo {

void OutputFiles::reportWritten(const std::string& path) {
    std::lock_guard lock(m_Mutex);
    m_Written.insert(path);
}

void OutputFiles::reportFailed(const std::string& path) {
    std::lock_guard lock(m_Mutex);
    m_Failed.insert(path);
}

void OutputFiles::clear() {
    std::lock_guard lock(m_Mutex);
    m_Written.clear();
    m_Failed.clear();
}

std::vector<std::string> OutputFiles::written() const {
    std::lock_guard lock(m_Mutex);
    std::vector<std::string> files;
    for (const std::string& path : m_Written)
        if (!m_Failed.contains(path))
            files.push_back(path);
    return files;
}

std::vector<std::string> OutputFiles::failed() const {
    std::lock_guard lock(m_Mutex);
    return {m_Failed.begin(), m_Failed.end()};
}

OutputFileStream::~OutputFileStream() {
    close();
}

void OutputFileStream::open(const std::string& name) {
    m_Name = name;
    std::ofstream::open(name, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!is_open() && m_pRecord)
        m_pRecord->reportFailed(name);
}

void OutputFileStream::close() {
    if (!is_open())
        return;
    // A failed write leaves the stream bad, and a failed flush at the close fails it.
    std::ofstream::close();
    if (!m_pRecord)
        return;
    if (fail())
        m_pRecord->reportFailed(m_Name);
    else
        m_pRecord->reportWritten(m_Name);
}

} // namespace tarlo
