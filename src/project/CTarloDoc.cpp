#include "project/CTarloDoc.h"

#include "platform/Host.h"
#include "project/CValidation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tarlo {

namespace {

std::string numbered(const char* prefix, std::size_t count) {
    return prefix + std::to_string(count);
}

template <class T> T* at(std::vector<T>& list, std::size_t index) {
    return index < list.size() ? &list[index] : nullptr;
}

// Erases the element of the list that is `element` itself; false when none is.
template <class T> bool eraseIdentical(std::vector<T>& list, const CElement* element) {
    const auto it = std::find_if(list.begin(), list.end(), [element](const T& item) {
        return static_cast<const CElement*>(&item) == element;
    });
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

// The project's folder as an absolute path, so that relative paths in the project keep
// their meaning whatever the current folder is later.
std::string absoluteFolder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return ProjectFile::folder(error ? path : absolute.string());
}

} // namespace

CTarloDoc::CTarloDoc(const CSettings& settings, Host& host)
    : m_Host(host), m_Sim(settings, host),
      m_RunControl(*this, m_Sim, settings, host, [this] { return m_Title; }) {
    installValidation(*this, host);
}

CTarloDoc::~CTarloDoc() {
    m_RunControl.waitForWorker();
}

void CTarloDoc::elementsChanged() {
    m_bModified = true;
    if (m_TreeListener)
        m_TreeListener();
}

void CTarloDoc::setPath(const std::string& path) {
    m_PathName = path;
    m_Title = ProjectFile::fileName(path);
    const std::string extension = ProjectFile::extension(path);
    m_Extension = extension.empty() ? std::string() : extension.substr(1);
    m_ProjectFolder = absoluteFolder(path);
}

void CTarloDoc::newProject() {
    ProjectFields fresh;
    fresh.m_Seed = m_Seed;
    static_cast<ProjectFields&>(*this) = std::move(fresh);
    m_RunControl.m_bMuteDetectors = false;
    m_RunControl.m_bMuteBridges = false;
    m_vRoadFeatures.emplace_back();
    m_vStatDetectors.emplace_back();
    updateLaneTotals();
    m_PathName = UntitledName;
    m_Title = UntitledName;
    m_Extension = "tlp";
    m_bModified = false;
    if (m_TreeListener)
        m_TreeListener();
}

bool CTarloDoc::open(const std::string& path) {
    // A file is read into a fresh project, as a newly created document would hold it.
    ProjectFields loaded;
    loaded.m_Seed = m_Seed;
    const ProjectFile::Result result = ProjectFile::load(loaded, path);
    if (!result.ok) {
        m_Host.showMessage(ProjectFile::loadErrorText(path, result.error), MessageIcon::Error);
        return false;
    }
    static_cast<ProjectFields&>(*this) = std::move(loaded);
    setPath(path);
    m_bModified = false;
    if (m_TreeListener)
        m_TreeListener();
    m_Host.appendOutputLine("File loaded: " + path);
    return true;
}

bool CTarloDoc::save(const std::string& path) {
    const ProjectFile::Result result = ProjectFile::save(*this, path);
    if (!result.ok) {
        m_Host.showMessage(ProjectFile::saveErrorText(result.error), MessageIcon::Error);
        return false;
    }
    if (ProjectFile::isLegacy(path))
        m_Host.showMessage("Please note: Bridges, Influence Lines, and other simulation \n"
                           "elements are not supported in *.qtf files.\n"
                           "Your file has been saved.",
                           MessageIcon::Error);
    setPath(path);
    m_bModified = false;
    m_Host.appendOutputLine("File saved: " + path);
    return true;
}

void CTarloDoc::close() {
    if (m_RunControl.m_bRunning)
        m_RunControl.stopSimulation();
    m_RunControl.waitForWorker();
    m_Host.appendOutputLine("File closed: " + m_PathName);
}

CElement* CTarloDoc::findElement(std::string_view group, std::size_t index) {
    if (group == "Simulation")
        return &m_ConfigurationNode;
    if (group == "Road Features")
        return at(m_vRoadFeatures, index);
    if (group == "Detectors")
        return at(m_vStatDetectors, index);
    if (group == "Bridges")
        return at(m_vBridges, index);
    if (group == "Influence Lines")
        return at(m_vInfLines, index);
    if (group == "Discrete Distributions")
        return at(m_vDiscreteDists, index);
    if (group == "Vehicle Types")
        return &m_VehicleTypeNode;
    if (group == "IDM Parameters")
        return &m_IDMParameterNode;
    return nullptr;
}

bool CTarloDoc::deleteElement(const CElement* element) {
    if (!element)
        return false;
    bool erased = eraseIdentical(m_vRoadFeatures, element) ||
                  eraseIdentical(m_vStatDetectors, element) ||
                  eraseIdentical(m_vDiscreteDists, element) || eraseIdentical(m_vBridges, element);
    for (std::size_t b = 0; !erased && b < m_vBridges.size(); ++b) {
        const auto& loadEffects = m_vBridges[b].GetLoadEffects();
        for (std::size_t i = 0; i < loadEffects.size(); ++i) {
            if (loadEffects[i].get() == element) {
                m_vBridges[b].DeleteLoadEffect(i);
                erased = true;
                break;
            }
        }
    }
    erased = erased || eraseIdentical(m_vInfLines, element);
    if (erased)
        elementsChanged();
    return erased;
}

CRoadFeature& CTarloDoc::addRoadFeature(int type) {
    CRoadFeature& feature = m_vRoadFeatures.emplace_back();
    feature.setDescription(numbered("New Feature No. ", m_vRoadFeatures.size()));
    feature.setType(type);
    feature.setValue(CRoadFeature::defaultValue(type));
    elementsChanged();
    m_Host.refreshViews();
    return feature;
}

CStatDetector& CTarloDoc::addDetector(int kind) {
    CStatDetector& detector = m_vStatDetectors.emplace_back();
    detector.setDescription(numbered("New Detector No. ", m_vStatDetectors.size()));
    detector.setDetectorName(kind);
    elementsChanged();
    m_Host.refreshViews();
    return detector;
}

CBridge& CTarloDoc::addBridge() {
    int highest = 0;
    for (const CBridge& bridge : m_vBridges)
        highest = std::max(highest, bridge.GetID());
    CBridge& bridge = m_vBridges.emplace_back(
        highest + 1, static_cast<unsigned>(std::max(m_RoadLength, 0)), m_NoLanes, 500.0, 1000.0);
    bridge.setDescription(numbered("New Bridge No. ", m_vBridges.size()));
    elementsChanged();
    m_Host.refreshViews();
    return bridge;
}

CInfLineDiscrete& CTarloDoc::addInfluenceLine() {
    const int number = static_cast<int>(m_vInfLines.size()) + 1;
    CInfLineDiscrete& line =
        m_vInfLines.emplace_back(number, numbered("New IL No. ", static_cast<std::size_t>(number)));
    elementsChanged();
    return line;
}

CDiscreteDist& CTarloDoc::addDiscreteDist() {
    const int number = static_cast<int>(m_vDiscreteDists.size()) + 1;
    CDiscreteDist& dist = m_vDiscreteDists.emplace_back(
        number, numbered("New Discrete Dist No. ", static_cast<std::size_t>(number)));
    elementsChanged();
    return dist;
}

bool CTarloDoc::addLoadEffect(CElement* selected) {
    const auto it = std::find_if(m_vBridges.begin(), m_vBridges.end(), [selected](CBridge& b) {
        return static_cast<CElement*>(&b) == selected;
    });
    if (it == m_vBridges.end())
        return false;
    it->AddLoadEffect(std::vector<double>(static_cast<std::size_t>(std::max(m_NoLanes, 0)), 1.0));
    elementsChanged();
    return true;
}

void CTarloDoc::replaceRoadFeatures(std::vector<CRoadFeature> features) {
    m_vRoadFeatures = std::move(features);
    elementsChanged();
}

void CTarloDoc::replaceStatDetectors(std::vector<CStatDetector> detectors) {
    m_vStatDetectors = std::move(detectors);
    elementsChanged();
}

void CTarloDoc::replaceDiscreteDists(std::vector<CDiscreteDist> dists) {
    m_vDiscreteDists = std::move(dists);
    elementsChanged();
}

void CTarloDoc::replaceInfLines(std::vector<CInfLineDiscrete> lines) {
    m_vInfLines = std::move(lines);
    elementsChanged();
}

void CTarloDoc::replaceVehicleTypes(const CVehicleTypes& types) {
    m_pVehicleTypes = std::make_shared<CVehicleTypes>(types);
    elementsChanged();
}

CTarloDoc::Configuration CTarloDoc::getConfiguration() const {
    Configuration values;
    values.m_FileIn = m_FileIn;
    values.m_MetricsDir = m_MetricsDir;
    values.m_bAutoDir = m_bAutoDir;
    values.m_FileType = m_FileType;
    values.m_RoadLength = m_RoadLength;
    values.m_DriveOnRight = m_DriveOnRight;
    values.m_NoLanesDirPos = m_NoLanesDirPos;
    values.m_NoLanesDirNeg = m_NoLanesDirNeg;
    values.m_SimTimeStepMs = m_SimTimeStep * 1000.0;
    values.m_AllowLaneChanging = m_AllowLaneChanging;
    values.m_OutputCarsToFile = m_OutputCarsToFile;
    values.m_TrafFileNoLanesDirPos = m_TrafFileNoLanesDirPos;
    values.m_TrafFileNoLanesDirNeg = m_TrafFileNoLanesDirNeg;
    values.m_bExecuteOnOpen = m_bExecuteOnOpen;
    return values;
}

void CTarloDoc::setConfiguration(const Configuration& values) {
    m_FileIn = values.m_FileIn;
    m_MetricsDir = values.m_MetricsDir;
    m_bAutoDir = values.m_bAutoDir;
    m_FileType = values.m_FileType;
    m_RoadLength = values.m_RoadLength;
    m_DriveOnRight = values.m_DriveOnRight;
    m_NoLanesDirPos = values.m_NoLanesDirPos;
    m_NoLanesDirNeg = values.m_NoLanesDirNeg;
    m_SimTimeStep = values.m_SimTimeStepMs / 1000.0;
    m_AllowLaneChanging = values.m_AllowLaneChanging;
    m_OutputCarsToFile = values.m_OutputCarsToFile;
    m_TrafFileNoLanesDirPos = values.m_TrafFileNoLanesDirPos;
    m_TrafFileNoLanesDirNeg = values.m_TrafFileNoLanesDirNeg;
    m_bExecuteOnOpen = values.m_bExecuteOnOpen;
    m_bModified = true;
    updateLaneTotals();
    m_Host.refreshViews();
}

void CTarloDoc::updateLaneTotals() {
    m_NoLanes = m_NoLanesDirPos + m_NoLanesDirNeg;
    m_NoDirections = m_NoLanesDirPos < 1 || m_NoLanesDirNeg < 1 ? 1 : 2;
    for (CBridge& bridge : m_vBridges)
        bridge.SetNoLanes(m_NoLanes);
}

} // namespace tarlo
