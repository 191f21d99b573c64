#include "project/ProjectFile.h"

#include "project/ArchiveText.h"
#include "project/WideString.h"
#include "project/settings/CSettings.h"
#include "vehicles/CVehicleTypes.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <new>

namespace tarlo {

using boost::serialization::make_nvp;

namespace {

// What is reported for a failure that carries no message of its own.
constexpr const char* unknownError = "unknown exception";

// A text item as project files hold it; the wrapper needs a string it may bind to.
void saveText(boost::archive::xml_oarchive& ar, const char* name, const std::string& text) {
    std::string copy = text;
    serializeText(ar, name, copy);
}

void saveItems(boost::archive::xml_oarchive& ar, const ProjectFields& f, bool legacy) {
    ar << make_nvp("m_Version", f.m_Version);
    saveText(ar, "m_FileIn", f.m_FileIn);
    saveText(ar, "m_MetricsDir", f.m_MetricsDir);
    ar << make_nvp("m_FileType", f.m_FileType);
    ar << make_nvp("m_TrafFileNoLanesDirPos", f.m_TrafFileNoLanesDirPos);
    ar << make_nvp("m_TrafFileNoLanesDirNeg", f.m_TrafFileNoLanesDirNeg);
    ar << make_nvp("m_NoDirections", f.m_NoDirections);
    ar << make_nvp("m_NoLanes", f.m_NoLanes);
    ar << make_nvp("m_NoLanesDirPos", f.m_NoLanesDirPos);
    ar << make_nvp("m_NoLanesDirNeg", f.m_NoLanesDirNeg);
    ar << make_nvp("m_RoadLength", f.m_RoadLength);
    ar << make_nvp("m_DriveOnRight", f.m_DriveOnRight);
    ar << make_nvp("m_SimTimeStep", f.m_SimTimeStep);
    ar << make_nvp("m_AllowLaneChanging", f.m_AllowLaneChanging);
    ar << make_nvp("m_OutputCarsToFile", f.m_OutputCarsToFile);
    ar << make_nvp("m_vStatDetectors", f.m_vStatDetectors);
    ar << make_nvp("m_vRoadFeatures", f.m_vRoadFeatures);
    ar << make_nvp("m_vDiscreteDists", f.m_vDiscreteDists);
    ar << make_nvp("m_pVehicleTypes", f.m_pVehicleTypes);
    if (legacy)
        return;
    ar << make_nvp("m_vBridges", f.m_vBridges);
    ar << make_nvp("m_vInfLines", f.m_vInfLines);
    ar << make_nvp("m_bConstVelocity", f.m_bConstVelocity);
    ar << make_nvp("m_bAutoDir", f.m_bAutoDir);
    ar << make_nvp("m_bExecuteOnOpen", f.m_bExecuteOnOpen);
}

// The items after the revision, as a file of revision r lays them out.
void loadItems(boost::archive::xml_iarchive& ar, ProjectFields& f, int r, bool legacy) {
    serializeText(ar, "m_FileIn", f.m_FileIn);
    if (r < 4) {
        std::string fileOut;
        serializeText(ar, "m_FileOut", fileOut);
    }
    serializeText(ar, "m_MetricsDir", f.m_MetricsDir);
    ar >> make_nvp("m_FileType", f.m_FileType);
    ar >> make_nvp("m_TrafFileNoLanesDirPos", f.m_TrafFileNoLanesDirPos);
    ar >> make_nvp("m_TrafFileNoLanesDirNeg", f.m_TrafFileNoLanesDirNeg);
    ar >> make_nvp("m_NoDirections", f.m_NoDirections);
    ar >> make_nvp("m_NoLanes", f.m_NoLanes);
    ar >> make_nvp("m_NoLanesDirPos", f.m_NoLanesDirPos);
    ar >> make_nvp("m_NoLanesDirNeg", f.m_NoLanesDirNeg);
    ar >> make_nvp("m_RoadLength", f.m_RoadLength);
    ar >> make_nvp("m_DriveOnRight", f.m_DriveOnRight);
    ar >> make_nvp("m_SimTimeStep", f.m_SimTimeStep);
    int outputPos = 0;
    int outputNeg = 0;
    if (r < 4) {
        ar >> make_nvp("m_LocOutputDetectorDirPos", outputPos);
        ar >> make_nvp("m_LocOutputDetectorDirNeg", outputNeg);
    }
    ar >> make_nvp("m_AllowLaneChanging", f.m_AllowLaneChanging);
    ar >> make_nvp("m_OutputCarsToFile", f.m_OutputCarsToFile);
    f.m_vStatDetectors.clear();
    ar >> make_nvp("m_vStatDetectors", f.m_vStatDetectors);
    f.m_vRoadFeatures.clear();
    ar >> make_nvp("m_vRoadFeatures", f.m_vRoadFeatures);
    f.m_vDiscreteDists.clear();
    ar >> make_nvp("m_vDiscreteDists", f.m_vDiscreteDists);
    if (r < 4) {
        f.addLegacyOutputDetector("Positive Direction", true, outputPos);
        f.addLegacyOutputDetector("Negative Direction", false, outputNeg);
    }
    if (r < 1) {
        CVehicleTypes* types = nullptr;
        ar >> make_nvp("m_pVehicleTypes", types);
        if (types)
            f.m_pVehicleTypes.reset(types);
    } else {
        ar >> make_nvp("m_pVehicleTypes", f.m_pVehicleTypes);
    }
    // A project always has a vehicle classification.
    if (!f.m_pVehicleTypes)
        f.m_pVehicleTypes = std::make_shared<CVehicleTypes>();
    if (legacy)
        return;
    if (r >= 2) {
        f.m_vBridges.clear();
        ar >> make_nvp("m_vBridges", f.m_vBridges);
    }
    if (r >= 3) {
        f.m_vInfLines.clear();
        ar >> make_nvp("m_vInfLines", f.m_vInfLines);
        ar >> make_nvp("m_bConstVelocity", f.m_bConstVelocity);
    }
    if (r >= 6) {
        ar >> make_nvp("m_bAutoDir", f.m_bAutoDir);
        ar >> make_nvp("m_bExecuteOnOpen", f.m_bExecuteOnOpen);
    }
    // Bridges were numbered from revision 5 on; older ones are numbered by their place.
    if (r < 5) {
        for (std::size_t i = 0; i < f.m_vBridges.size(); ++i) {
            if (f.m_vBridges[i].GetID() == 0)
                f.m_vBridges[i].SetID(static_cast<int>(i) + 1);
        }
    }
}

// Reads a whole project from the text into `f`. Throws the library's exception on any
// failure; `revisionUnread` tells whether it was the revision item that could not be read.
void parse(const std::string& text, ProjectFields& f, bool legacy, bool& revisionUnread) {
    readArchiveText(text, [&](boost::archive::xml_iarchive& ar) {
        int r = 0;
        try {
            ar >> make_nvp("m_Version", r);
        } catch (...) {
            revisionUnread = true;
            throw;
        }
        loadItems(ar, f, r, legacy);
    });
}

// Revision 0 files start their items with m_FileIn: the revision item goes after the
// archive's three opening lines.
std::string withRevisionItem(const std::string& text) {
    std::size_t at = 0;
    for (int line = 0; line < 3 && at != std::string::npos; ++line) {
        at = text.find('\n', at);
        if (at != std::string::npos)
            ++at;
    }
    const std::string inserted = "<m_Version>0</m_Version>\n";
    if (at == std::string::npos)
        return text + "\n" + inserted;
    return text.substr(0, at) + inserted + text.substr(at);
}

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

} // namespace

CStatDetector& ProjectFields::addLegacyOutputDetector(const std::string& name, bool positive,
                                                      int position) {
    CStatDetector& detector = m_vStatDetectors.emplace_back();
    detector.setDetectorName(DETECTOR_OUTPUT);
    detector.setDescription(name);
    detector.setDirPos(positive);
    detector.setParamA(position);
    return detector;
}

ProjectFile::Result ProjectFile::save(const ProjectFields& fields, const std::string& path) {
    try {
        const std::string xml = archiveText(
            [&](boost::archive::xml_oarchive& ar) { saveItems(ar, fields, isLegacy(path)); });
        replaceFile(path, withCrLf(xml));
    } catch (const std::exception& e) {
        return {false, e.what(), false};
    } catch (...) {
        return {false, unknownError, false};
    }
    return {true, {}, false};
}

ProjectFile::Result ProjectFile::load(ProjectFields& fields, const std::string& path,
                                      Repair repair) {
    const bool legacy = isLegacy(path);
    try {
        const std::string text = withLf(readFile(path));
        bool revisionUnread = false;
        try {
            ProjectFields loaded = fields;
            parse(text, loaded, legacy, revisionUnread);
            fields = std::move(loaded);
            return {true, {}, false};
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception&) {
            if (!revisionUnread)
                throw;
        }
        // One repair only: a file that still fails is reported and left as it was.
        const std::string repaired = withRevisionItem(text);
        ProjectFields loaded = fields;
        parse(repaired, loaded, legacy, revisionUnread);
        fields = std::move(loaded);
        // The project is loaded; should the rewrite fail, the next open repairs again.
        try {
            if (repair == Repair::RewriteFile)
                replaceFile(path, withCrLf(repaired));
        } catch (const std::exception&) {
        }
        return {true, {}, true};
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        return {false, e.what(), false};
    } catch (...) {
        return {false, unknownError, false};
    }
}

std::string ProjectFile::loadErrorText(const std::string& path, const std::string& error) {
    // Deliberately: the first line starts with the file's name ("PATH: Problem loading
    // file."), so a message read on its own still says which file failed.
    return path + ": Problem loading file.\nBoost reports: " + error + "\nPossibly: (" +
           CSettings::interpretArchiveError(error) + ")\n";
}

std::string ProjectFile::saveErrorText(const std::string& error) {
    return "Problem saving file.\nBoost reports: " + error +
           "\nPossibly: " + CSettings::interpretArchiveError(error) +
           "\nThe project was not saved.";
}

std::string ProjectFile::fileName(const std::string& path) {
    const std::size_t last = lastSeparator(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ProjectFile::extension(const std::string& path) {
    const std::string name = fileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ProjectFile::folder(const std::string& path) {
    const std::size_t last = lastSeparator(path);
    if (last == std::string::npos)
        return {};
    // A file in the root folder keeps the root.
    return last == 0 ? path.substr(0, 1) : path.substr(0, last);
}

} // namespace tarlo
