#pragma once

#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tarlo {

// The output files of one run as their writers report them: each file made and closed with
// every row in it, and each that could not be created or lost rows to a failed write or
// close (a full disk). Writers keep running whatever happens to their files; this record
// is how the run learns of it. The writers report from the thread of the run, and the
// record may be read from any thread.
class OutputFiles {
public:
    void reportWritten(const std::string& path);
    void reportFailed(const std::string& path);
    void clear();

    // The files written in full, in name order; a file that failed once is not among them.
    std::vector<std::string> written() const;
    // The files that could not be written in full, in name order.
    std::vector<std::string> failed() const;

private:
    mutable std::mutex m_Mutex;
    std::set<std::string> m_Written;
    std::set<std::string> m_Failed;
};

// An output file stream of a run that tells the run's record how the file ended. It opens
// truncating in binary mode (rows end with CR LF by the writers' own choice). Without a
// record it is a plain file stream.
class OutputFileStream : public std::ofstream {
public:
    OutputFileStream() = default;
    ~OutputFileStream() override;
    OutputFileStream(const OutputFileStream&) = delete;
    OutputFileStream& operator=(const OutputFileStream&) = delete;

    void setRecord(OutputFiles* record) { m_pRecord = record; }
    // A file that cannot be created is reported as failed at once.
    void open(const std::string& name);
    // Reports the file written when every write and the close succeeded, else failed.
    void close();

private:
    OutputFiles* m_pRecord = nullptr;
    std::string m_Name;
};

} // namespace tarlo
