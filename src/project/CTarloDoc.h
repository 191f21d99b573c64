#pragma once

#include "engine/Sim.h"
#include "project/CElement.h"
#include "project/ProjectFile.h"
#include "project/RunControl.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

class CSettings;
class Host;

// A project: the traffic file and its format, the road, the time step and run switches, the
// element lists and the vehicle types, with the simulation object and the run control that
// run it. The user interface edits it through the commands below; every edit marks it
// modified and saving clears the mark. The element tree is rebuilt through the listener.
//
// Editing commands are expected to follow the run control's enabling rules (not while a run
// is active), as the menus do.
class CTarloDoc : public ProjectFields {
public:
    // The fields the configuration dialog edits; the time step in milliseconds.
    struct Configuration {
        std::string m_FileIn;
        std::string m_MetricsDir;
        bool m_bAutoDir = true;
        std::uint16_t m_FileType = 101;
        int m_RoadLength = 0;
        bool m_DriveOnRight = true;
        int m_NoLanesDirPos = 0;
        int m_NoLanesDirNeg = 0;
        double m_SimTimeStepMs = 0.0;
        bool m_AllowLaneChanging = true;
        bool m_OutputCarsToFile = true;
        int m_TrafFileNoLanesDirPos = 0;
        int m_TrafFileNoLanesDirNeg = 0;
        bool m_bExecuteOnOpen = true;
    };

    // The name of a project never saved.
    static constexpr const char* UntitledName = "Untitled.tlp";

    // An empty document: no elements; newProject or open fill it.
    CTarloDoc(const CSettings& settings, Host& host);
    // Stops an invisible run and waits for its worker.
    ~CTarloDoc();
    CTarloDoc(const CTarloDoc&) = delete;
    CTarloDoc& operator=(const CTarloDoc&) = delete;

    // Lifecycle.
    // Every default of a new project: one speed limit and one flow and density detector.
    void newProject();
    // Loads the project file; on failure shows the load error and keeps the document as it
    // was. Running out of memory is no fault of the file: std::bad_alloc reaches the caller.
    bool open(const std::string& path);
    // Writes the project file; on failure shows why and keeps the modified mark.
    bool save(const std::string& path);
    // Stops a run and waits for its worker.
    void close();

    // The file's path, its name (the document's name in every output line) and extension.
    const std::string& getPathName() const { return m_PathName; }
    const std::string& getTitle() const { return m_Title; }
    const std::string& getExtension() const { return m_Extension; }
    bool isModified() const { return m_bModified; }
    void setModified(bool modified = true) { m_bModified = modified; }
    // "CASTOR", "SAFT", "Kirro": the traffic formats 100 to 102.
    const std::vector<std::string>& getFormatLabels() const { return m_vFormatLabels; }

    // Called whenever the element tree must be rebuilt.
    void setElementTreeListener(std::function<void()> listener) {
        m_TreeListener = std::move(listener);
    }

    // The element of a tree group ("Simulation", "Road Features", "Detectors", "Bridges",
    // "Influence Lines", "Discrete Distributions", "Vehicle Types", "IDM Parameters") at an
    // index of its list; null past the end or for any other group.
    CElement* findElement(std::string_view group, std::size_t index);
    // Erases the element, found by identity among the road features, detectors, discrete
    // distributions, bridges, the bridges' load effects and influence lines; false when it
    // is in none of them.
    bool deleteElement(const CElement* element);

    // The add commands: a default element named "New … No. n" after the count it makes.
    CRoadFeature& addRoadFeature(int type);
    CStatDetector& addDetector(int kind);
    // Numbered one past the highest bridge number, on the project's road and lanes.
    CBridge& addBridge();
    CInfLineDiscrete& addInfluenceLine();
    CDiscreteDist& addDiscreteDist();
    // Adds a load effect weighting every road lane 1.0 when the element is one of the
    // project's bridges; false otherwise.
    bool addLoadEffect(CElement* selected);

    // The dialogs' edited copies replace the lists.
    void replaceRoadFeatures(std::vector<CRoadFeature> features);
    void replaceStatDetectors(std::vector<CStatDetector> detectors);
    void replaceDiscreteDists(std::vector<CDiscreteDist> dists);
    void replaceInfLines(std::vector<CInfLineDiscrete> lines);
    void replaceVehicleTypes(const CVehicleTypes& types);

    // The configuration dialog's values, and storing them: the lane totals follow.
    Configuration getConfiguration() const;
    void setConfiguration(const Configuration& values);
    // m_NoLanes and m_NoDirections from the lane counts of the two directions, and every
    // bridge on the new lane count.
    void updateLaneTotals();

    Sim& sim() { return m_Sim; }
    RunControl& runControl() { return m_RunControl; }
    const RunControl& runControl() const { return m_RunControl; }

private:
    void elementsChanged();
    void setPath(const std::string& path);

    // The tree nodes of the configuration, the vehicle types and the driver parameters.
    CElement m_ConfigurationNode{CElement::Configuration, "Configuration"};
    CElement m_VehicleTypeNode{CElement::VehicleType, "Vehicle Type"};
    CElement m_IDMParameterNode{CElement::IDMParameter, "IDM Parameter"};
    const std::vector<std::string> m_vFormatLabels{"CASTOR", "SAFT", "Kirro"};

    std::string m_PathName = UntitledName;
    std::string m_Title = UntitledName;
    std::string m_Extension = "tlp";
    bool m_bModified = false;
    std::function<void()> m_TreeListener;

    Host& m_Host;
    Sim m_Sim;
    RunControl m_RunControl;
};

} // namespace tarlo
