#pragma once

#include "engine/OutputFiles.h"

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

class CElement;
class CSettings;

// The load effects of a bridge in column order; a writer reads only their descriptions.
using LoadEffectList = std::vector<std::shared_ptr<const CElement>>;

// Base of the bridge output writers: names, opens and buffers the comma-separated file of one
// output of one bridge. Every row ends with CR LF on every platform. A file that cannot be
// created drops its output, and the run goes on; the run's record of output files (given at
// construction, may be null) learns of it, and of every file whose writes or close failed.
class CEventBase {
public:
    enum Kind : int {
        All = 630,
        BlockMax = 631,
        POT = 632,
        Stats = 633,
        BlockMin = 634,
        PUT = 635
    };

    virtual ~CEventBase();
    CEventBase(const CEventBase&) = delete;
    CEventBase& operator=(const CEventBase&) = delete;

    // Run start, with the start time t0.
    virtual void Initialize(double t0);
    // End of the run: closes the file. A second call changes nothing.
    virtual void Finish();
    // One calculated set of values, one per load effect, at the given time.
    virtual void Update(double time, std::span<const double> values) = 0;
    virtual void OpenFile() = 0;

    int getType() const { return m_Type; }
    int getBridgeID() const { return m_BridgeID; }
    const std::string& getPath() const { return m_Path; }
    double getBridgeStart() const { return m_BridgeStart; }
    double getBridgeEnd() const { return m_BridgeEnd; }
    const std::vector<std::string>& getLENames() const { return m_vLENames; }
    int getNoLE() const { return m_NoLE; }
    std::size_t getBufferSize() const { return m_BufferSize; }

    // "All", "BMax", "POT", "Stats", "BMin" or "PUT".
    std::string_view TypeTag() const;
    // The folder + "Br_" + bridge number + "_" + label + "_" + start + "-" + end + ".csv".
    std::string FileName(std::string_view label) const;
    std::string FileName() const { return FileName(TypeTag()); }

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    // For loading: no file, no buffer.
    CEventBase();
    CEventBase(int type, int bridgeID, const LoadEffectList& loadEffects, std::string path,
               double start, double end, const CSettings& settings,
               OutputFiles* outputFiles = nullptr);

    // Creates or truncates the named file through the writer's buffer; false when it cannot.
    bool OpenStream(const std::string& name);
    bool IsOpen() const { return m_File.is_open(); }
    void CloseStream();
    // `first` + "," then, per load effect, `perLE` + "LE i: description," and the line end.
    void WriteHeader(std::string_view first, std::string_view perLE);
    // Ends the row assembled in m_Row and writes it into the buffer with one call.
    void EmitRow();
    // The values that have a load-effect column.
    std::span<const double> Columns(std::span<const double> values) const {
        return values.first(std::min(values.size(), static_cast<std::size_t>(std::max(m_NoLE, 0))));
    }
    // Appends a number in fixed notation, right-aligned in at least `width` characters.
    static void AppendFixed(std::string& out, double value, int precision, int width);

    static constexpr std::string_view LineEnd = "\r\n";

    int m_BridgeID = 0;
    int m_Type = All;
    std::string m_Path;
    OutputFileStream m_File;
    double m_BridgeStart = 0.0;
    double m_BridgeEnd = 0.0;
    std::vector<std::string> m_vLENames;
    int m_NoLE = 0;
    std::size_t m_BufferSize = 0;
    std::unique_ptr<char[]> m_pBuffer;
    // The row being assembled; keeps its capacity from row to row.
    std::string m_Row;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventBase, 0)
