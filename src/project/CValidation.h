#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarlo {

class CBridge;
class CDiscreteDist;
class CInfLineDiscrete;
class CLoadEffect;
class CRoadFeature;
class CSettings;
class CStatDetector;
class CTarloDoc;
class Host;

// The check of a whole project before a run. One pass walks the configuration and every
// element, writes one line per finding to the validation report, repairs a few
// inconsistencies in the document on the spot, and answers whether the run may start.
// Every check runs whatever the earlier ones found, so one pass reports everything.
//
// A report line is "<document name>| <section>| <message>". Errors fail the pass; notes
// are only reported; repairs change the document and are reported as notes or errors.
class CValidation {
public:
    // The road limits are copied from the settings when the validator is made.
    CValidation(CTarloDoc* document, const CSettings& settings, Host& host);

    // The whole pass: every group in order, then "Validation succesful!" when all passed.
    bool validate();

    // The groups; each reports the missing document and fails without one.
    bool checkDocument();
    bool checkConfiguration();
    bool checkMetricsDirectory();
    bool checkFeatures();
    bool checkDetectors();
    bool checkBridges();
    bool checkInfluenceLines();
    bool checkDiscreteDistributions();

    // One element, given its 0-based position in the document's list. The element groups
    // hand these the entries of a copy of the document's list; a repair changes the copy
    // and the document's element.
    bool checkFeature(std::size_t index, CRoadFeature& feature);
    bool checkDetector(std::size_t index, CStatDetector& detector);
    bool checkBridge(std::size_t index, CBridge& bridge);
    bool checkLoadEffect(const std::string& bridgeSection, std::size_t index,
                         CLoadEffect& loadEffect, const CBridge& bridge);
    bool checkInfluenceLine(std::size_t index, const CInfLineDiscrete& line);
    bool checkDiscreteDistribution(std::size_t index, const CDiscreteDist& dist);

    int maxSlope;
    int speedLimitMin;
    int speedLimitMax;
    // How far before and after a bridge vehicles are listed by it (m).
    double bridgeOnBuffer;
    // MIN_SPACE_FOR_NEXT_VEHICLE: the clear space a lane entrance needs for an arrival.
    double minEntrySpace;

private:
    class Section;

    bool reportMissingDocument();
    void writeLine(const std::string& section, const std::string& message);
    // The comparison of one feature with the others of the list, under "Features".
    bool compareFeature(std::size_t index, const std::vector<CRoadFeature>& features);
    // Where each direction's vehicles meet the bridge zone: before the entrance, where they
    // are never listed, or past the point where the road removes them.
    void noteBridgeZone(Section& section, const CBridge& bridge);

    CTarloDoc* m_pDocument;
    Host& m_Host;
};

// Makes every run of the document validate the project first, reporting to the host.
void installValidation(CTarloDoc& document, Host& host);

} // namespace tarlo
