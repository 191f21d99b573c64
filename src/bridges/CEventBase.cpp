#include "bridges/CEventBase.h"

#include "bridges/CEventAll.h"
#include "bridges/CEventBlockMax.h"
#include "bridges/CEventBlockMin.h"
#include "bridges/CEventPOT.h"
#include "bridges/CEventPUT.h"
#include "bridges/FixedNotation.h"
#include "project/CElement.h"
#include "project/settings/CSettings.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

#include <charconv>
#include <locale>
#include <new>
#include <sstream>
#include <utility>

namespace tarlo {

CEventBase::CEventBase() : m_Path("C:\\Tarlo\\Metrics\\") {
    m_File.imbue(std::locale::classic());
}

CEventBase::CEventBase(int type, int bridgeID, const LoadEffectList& loadEffects, std::string path,
                       double start, double end, const CSettings& settings,
                       OutputFiles* outputFiles)
    : m_BridgeID(bridgeID), m_Type(type), m_Path(std::move(path)), m_BridgeStart(start),
      m_BridgeEnd(end), m_NoLE(static_cast<int>(loadEffects.size())) {
    m_File.imbue(std::locale::classic());
    m_File.setRecord(outputFiles);
    m_vLENames.reserve(loadEffects.size());
    for (const auto& loadEffect : loadEffects)
        m_vLENames.push_back(loadEffect ? loadEffect->getDescription() : std::string());
    // Without the memory the stream keeps its own small buffer.
    const std::size_t size = std::size_t{settings.General.FILE_BUFFER_MB} << 20;
    if (size > 0)
        m_pBuffer.reset(new (std::nothrow) char[size]);
    m_BufferSize = m_pBuffer ? size : 0;
}

CEventBase::~CEventBase() {
    CloseStream();
}

void CEventBase::Initialize(double /*t0*/) {}

void CEventBase::Finish() {
    CloseStream();
}

std::string_view CEventBase::TypeTag() const {
    switch (m_Type) {
    case BlockMax:
        return "BMax";
    case POT:
        return "POT";
    case Stats:
        return "Stats";
    case BlockMin:
        return "BMin";
    case PUT:
        return "PUT";
    default:
        return "All";
    }
}

std::string CEventBase::FileName(std::string_view label) const {
    std::ostringstream name;
    name.imbue(std::locale::classic());
    name << m_Path << "Br_" << static_cast<unsigned>(m_BridgeID) << '_' << label << '_'
         << m_BridgeStart << '-' << m_BridgeEnd << ".csv";
    return name.str();
}

bool CEventBase::OpenStream(const std::string& name) {
    CloseStream();
    m_File.clear();
    // The stream takes a buffer only while no file is open.
    if (m_pBuffer)
        m_File.rdbuf()->pubsetbuf(m_pBuffer.get(), static_cast<std::streamsize>(m_BufferSize));
    m_File.open(name);
    return m_File.is_open();
}

void CEventBase::CloseStream() {
    if (m_File.is_open())
        m_File.close();
}

void CEventBase::WriteHeader(std::string_view first, std::string_view perLE) {
    m_Row.assign(first);
    m_Row += ',';
    for (int i = 0; i < m_NoLE; ++i) {
        m_Row += perLE;
        m_Row += "LE ";
        m_Row += std::to_string(i + 1);
        m_Row += ": ";
        if (static_cast<std::size_t>(i) < m_vLENames.size())
            m_Row += m_vLENames[i];
        m_Row += ',';
    }
    EmitRow();
    // The header is on disk from the start: the file shows what it will hold.
    if (m_File.is_open())
        m_File.flush();
}

// Deliberately: the row goes into the file's FILE_BUFFER_MB buffer instead of being flushed
// as each row ends, as the block, threshold and time-history rows were: a flush per row
// made the buffer useless and cost a write call per row. The buffer reaches the file when
// it fills and when the file is closed: at the end of the run, and when it is stopped or
// interrupted, as the run's bridges are finished or destroyed then. A file being written is
// thus complete only up to its last full buffer until the run ends.
void CEventBase::EmitRow() {
    if (!m_File.is_open())
        return;
    m_Row += LineEnd;
    m_File.write(m_Row.data(), static_cast<std::streamsize>(m_Row.size()));
}

void CEventBase::AppendFixed(std::string& out, double value, int precision, int width) {
    // Room for the widest double in fixed notation.
    char digits[400];
    const auto [end, ec] = toCharsFixed(digits, digits + sizeof digits, value, precision);
    const std::size_t length = ec == std::errc{} ? static_cast<std::size_t>(end - digits) : 0;
    if (length < static_cast<std::size_t>(width))
        out.append(static_cast<std::size_t>(width) - length, ' ');
    out.append(digits, length);
}

template <class Archive> void CEventBase::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("m_BridgeID", m_BridgeID);
    ar& make_nvp("m_Type", m_Type);
    ar& make_nvp("m_Path", m_Path);
    ar& make_nvp("m_BridgeStart", m_BridgeStart);
    ar& make_nvp("m_BridgeEnd", m_BridgeEnd);
    ar& make_nvp("m_vLENames", m_vLENames);
    ar& make_nvp("m_NoLE", m_NoLE);
}

template void CEventBase::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventBase::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

// The exported writers are registered beside the base part's serialization, which every
// writer's construction and serialization reach: a program that links any writer links the
// registrations of all of them.
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CEventAll)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CEventBlockMax)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CEventBlockMin)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CEventPOT)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CEventPUT)
