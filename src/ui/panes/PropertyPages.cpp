#include "ui/panes/PropertyPages.h"

#include "bridges/CBridge.h"
#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"
#include "bridges/CLoadEffect.h"
#include "detectors/CStatDetector.h"
#include "detectors/DetectorCodes.h"
#include "platform/Host.h"
#include "project/CRoadFeature.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "ui/view/CTarloView.h"
#include "ui/widgets/PropertyGrid.h"
#include "vehicles/CDiscreteDist.h"

#include <map>
#include <memory>

namespace tarlo {

namespace {

using Editor = PropertyGrid::Editor;
using Row = PropertyGrid::Row;
using Getter = std::function<QVariant()>;
using Setter = std::function<bool(const QVariant&)>;

QStringList toStringList(const std::vector<std::string>& labels) {
    QStringList list;
    for (const std::string& label : labels)
        list << QString::fromStdString(label);
    return list;
}

Row row(const QString& label, Editor editor, Getter get, Setter set) {
    Row r;
    r.label = label;
    r.editor = editor;
    r.get = std::move(get);
    r.set = std::move(set);
    return r;
}

Row readOnly(const QString& label, Getter get) {
    return row(label, Editor::ReadOnly, std::move(get), nullptr);
}

Row choice(const QString& label, QStringList choices, Getter get, Setter set) {
    Row r = row(label, Editor::Choice, std::move(get), std::move(set));
    r.choices = std::move(choices);
    return r;
}

Row reshaping(Row r) {
    r.reshapesPage = true;
    return r;
}

// A setter that applies the edit and marks the document modified when the edit took.
Setter modifying(CTarloDoc& doc, std::function<bool(const QVariant&)> edit) {
    return [&doc, edit = std::move(edit)](const QVariant& value) {
        if (!edit(value))
            return false;
        doc.setModified();
        return true;
    };
}

// The same for edits that always take.
template <class Apply> Setter always(CTarloDoc& doc, Apply apply) {
    return modifying(doc, [apply](const QVariant& value) {
        apply(value);
        return true;
    });
}

void addDescription(PropertyGrid& grid, CTarloDoc& doc, CElement& element) {
    grid.addRow(row(
        "Description", Editor::Text,
        [&element] { return QString::fromStdString(element.getDescription()); },
        always(doc, [&element](const QVariant& v) {
            element.setDescription(v.toString().toStdString());
        })));
}

// One field of the configuration, written back through the document's configuration edit
// so the lane totals and the bridges follow.
template <class Field>
Row configurationRow(CTarloDoc& doc, const QString& label, Editor editor, Field field) {
    return row(
        label, editor,
        [&doc, field] {
            const auto value = doc.getConfiguration().*field;
            if constexpr (std::is_same_v<decltype(value), const std::string>)
                return QVariant(QString::fromStdString(value));
            else
                return QVariant::fromValue(value);
        },
        [&doc, field](const QVariant& v) {
            CTarloDoc::Configuration values = doc.getConfiguration();
            using Value = std::remove_reference_t<decltype(values.*field)>;
            if constexpr (std::is_same_v<Value, std::string>)
                values.*field = v.toString().toStdString();
            else
                values.*field = v.value<Value>();
            doc.setConfiguration(values);
            return true;
        });
}

void showRoadFeaturePage(PropertyGrid& grid, CTarloDoc& doc, CRoadFeature& feature) {
    addDescription(grid, doc, feature);
    grid.addRow(reshaping(choice(
        "Feature Type", toStringList(feature.getTypeLabels()),
        [&feature] { return feature.getType() - CRoadFeature::SpeedLimit; },
        always(doc, [&feature](const QVariant& v) {
            feature.setType(CRoadFeature::SpeedLimit + v.toInt());
        }))));
    grid.addRow(choice(
        "Vehicle Types", toStringList(feature.getVehicleLabels()),
        [&feature] { return feature.getFeatVehType() - CRoadFeature::AllVehicles; },
        always(doc, [&feature](const QVariant& v) {
            feature.setFeatVehType(CRoadFeature::AllVehicles + v.toInt());
        })));
    grid.addRow(row(
        "Adherence", Editor::Number, [&feature] { return feature.getAdherence(); },
        always(doc, [&feature](const QVariant& v) { feature.setAdherence(v.toDouble()); })));
    grid.addRow(row(
        "Start (m)", Editor::Integer, [&feature] { return feature.getStart(); },
        always(doc, [&feature](const QVariant& v) { feature.setStart(v.toInt()); })));
    grid.addRow(row(
        "End (m)", Editor::Integer, [&feature] { return feature.getEnd(); },
        always(doc, [&feature](const QVariant& v) { feature.setEnd(v.toInt()); })));

    static const std::map<int, QString> valueLabels{
        {CRoadFeature::SpeedLimit, "Speed Limit (km/h)"},
        {CRoadFeature::Gradient, "Gradient (%)"},
        {CRoadFeature::Obstacle, "Lane"},
        {CRoadFeature::Politeness, "Politeness"},
        {CRoadFeature::Bias, "Bias"},
        {CRoadFeature::GapControl, "Gap Control"}};
    // A lane-change ban asks no value.
    const auto label = valueLabels.find(feature.getType());
    if (label != valueLabels.end())
        grid.addRow(row(
            label->second, Editor::Number, [&feature] { return feature.getValue(); },
            always(doc, [&feature](const QVariant& v) { feature.setValue(v.toDouble()); })));
}

void showDetectorPage(PropertyGrid& grid, CTarloDoc& doc, CStatDetector& detector) {
    addDescription(grid, doc, detector);
    grid.addRow(reshaping(choice(
        "Detector Type", toStringList(detector.getTypeLabels()),
        [&detector] { return detector.getDetectorName() - DETECTOR_FLOW_DENSITY; },
        always(doc, [&detector](const QVariant& v) {
            detector.setDetectorName(DETECTOR_FLOW_DENSITY + v.toInt());
        }))));
    grid.addRow(choice(
        "Vehicle Types", toStringList(detector.getVehicleLabels()),
        [&detector] { return detector.getDetectorVehicleType() - FILTER_ALL_VEHICLES; },
        always(doc, [&detector](const QVariant& v) {
            detector.setDetectorVehicleType(FILTER_ALL_VEHICLES + v.toInt());
        })));
    grid.addRow(row(
        "Direction: positive x", Editor::Check, [&detector] { return detector.getDirPos(); },
        always(doc, [&detector](const QVariant& v) { detector.setDirPos(v.toBool()); })));
    grid.addRow(row(
        "Time Interval (s)", Editor::Integer, [&detector] { return detector.getTimeInterval(); },
        always(doc, [&detector](const QVariant& v) { detector.setTimeInterval(v.toInt()); })));

    using Get = int (CStatDetector::*)() const;
    using Set = void (CStatDetector::*)(int);
    static constexpr Get getters[] = {&CStatDetector::getParamA, &CStatDetector::getParamB,
                                      &CStatDetector::getParamC};
    static constexpr Set setters[] = {&CStatDetector::setParamA, &CStatDetector::setParamB,
                                      &CStatDetector::setParamC};
    const QStringList labels = detectorParameterLabels(detector.getDetectorType());
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const Get get = getters[i];
        const Set set = setters[i];
        grid.addRow(row(
            labels[i], Editor::Integer, [&detector, get] { return (detector.*get)(); },
            always(doc, [&detector, set](const QVariant& v) { (detector.*set)(v.toInt()); })));
    }
}

void showBridgePage(PropertyGrid& grid, CTarloDoc& doc, CBridge& bridge) {
    addDescription(grid, doc, bridge);
    grid.addRow(row(
        "ID", Editor::Integer, [&bridge] { return bridge.GetID(); },
        always(doc, [&bridge](const QVariant& v) { bridge.SetID(v.toInt()); })));
    PropertyGrid::Group location = grid.addGroup("Location");
    grid.addRow(row(
                    "Start (m)", Editor::Number, [&bridge] { return bridge.GetStart(); },
                    always(doc, [&bridge](const QVariant& v) { bridge.SetStart(v.toDouble()); })),
                location);
    grid.addRow(row(
                    "End (m)", Editor::Number, [&bridge] { return bridge.GetEnd(); },
                    always(doc, [&bridge](const QVariant& v) { bridge.SetEnd(v.toDouble()); })),
                location);
    grid.addRow(row(
                    "Sub steps", Editor::Integer, [&bridge] { return bridge.GetStepsPerSimStep(); },
                    modifying(doc,
                              [&bridge](const QVariant& v) {
                                  // A count of calculations per step: at least one.
                                  if (v.toInt() < 1)
                                      return false;
                                  bridge.SetStepsPerSimStep(v.toUInt());
                                  return true;
                              })),
                location);
    grid.addRow(readOnly("No. of load effects", [&bridge] { return bridge.GetNoLE(); }),
                grid.addGroup("Load Effects"));

    CEventManager& events = bridge.EventManager();
    PropertyGrid::Group output = grid.addGroup("Output");
    const auto check = [&](PropertyGrid::Group group, const QString& label,
                           bool (CEventManager::*get)() const, void (CEventManager::*set)(bool)) {
        grid.addRow(
            row(
                label, Editor::Check, [&events, get] { return (events.*get)(); },
                always(doc, [&events, set](const QVariant& v) { (events.*set)(v.toBool()); })),
            group);
    };
    const auto number = [&](PropertyGrid::Group group, const QString& label,
                            double (CEventManager::*get)() const,
                            void (CEventManager::*set)(double)) {
        grid.addRow(
            row(
                label, Editor::Number, [&events, get] { return (events.*get)(); },
                always(doc, [&events, set](const QVariant& v) { (events.*set)(v.toDouble()); })),
            group);
    };
    PropertyGrid::Group statistics = grid.addGroup("Statistics", output);
    check(statistics, "Basic", &CEventManager::getStatsBasic, &CEventManager::setStatsBasic);
    check(statistics, "Histogram", &CEventManager::getStatsHist, &CEventManager::setStatsHist);
    check(grid.addGroup("Time History", output), "Time history", &CEventManager::getAll,
          &CEventManager::setAll);
    PropertyGrid::Group maximum = grid.addGroup("Block Maximum", output);
    check(maximum, "Output?", &CEventManager::getBMax, &CEventManager::setBMax);
    number(maximum, "Block size (s)", &CEventManager::getBlockMaxSize,
           &CEventManager::setBlockMaxSize);
    PropertyGrid::Group minimum = grid.addGroup("Block Minimum", output);
    check(minimum, "Output?", &CEventManager::getBMin, &CEventManager::setBMin);
    number(minimum, "Block size (s)", &CEventManager::getBlockMinSize,
           &CEventManager::setBlockMinSize);

    const auto thresholds = [&](const QString& label, bool (CEventManager::*get)() const,
                                void (CEventManager::*set)(bool),
                                const std::vector<double>& (CEventManager::*list)() const,
                                bool (CEventManager::*setThreshold)(std::size_t, double)) {
        PropertyGrid::Group group = grid.addGroup(label, output);
        check(group, "Output?", get, set);
        for (int i = 0; i < bridge.GetNoLE(); ++i) {
            const auto index = static_cast<std::size_t>(i);
            grid.addRow(row(
                            QString::asprintf("Load effect %d", i + 1), Editor::Number,
                            [&events, list, index] {
                                const std::vector<double>& values = (events.*list)();
                                return index < values.size() ? values[index] : 0.0;
                            },
                            modifying(doc,
                                      [&events, setThreshold, index](const QVariant& v) {
                                          return (events.*setThreshold)(index, v.toDouble());
                                      })),
                        group);
        }
    };
    thresholds("Peaks Over Thresholds", &CEventManager::getPOT, &CEventManager::setPOT,
               &CEventManager::getThreshOver, &CEventManager::setThreshOver);
    thresholds("Peaks Under Thresholds", &CEventManager::getPUT, &CEventManager::setPUT,
               &CEventManager::getThreshUnder, &CEventManager::setThreshUnder);
}

std::vector<std::shared_ptr<CInfLineDiscrete>> discreteLines(const CTarloDoc& doc) {
    std::vector<std::shared_ptr<CInfLineDiscrete>> lines;
    for (const CInfLineDiscrete& line : doc.m_vInfLines)
        lines.push_back(std::make_shared<CInfLineDiscrete>(line));
    return lines;
}

void showLoadEffectPage(PropertyGrid& grid, CTarloDoc& doc, CLoadEffect& effect) {
    Row id = readOnly("ID", [&effect] { return effect.GetID(); });
    id.description = "The index of the load effect for its bridge";
    grid.addRow(id);
    addDescription(grid, doc, effect);

    PropertyGrid::Group influence = grid.addGroup("Influence Line");
    const QStringList types{"Function", "Discrete"};
    const auto isFunction = [&effect] {
        return effect.GetInfLine() && effect.GetInfLine()->GetType() == CInfluenceLine::IL_FUNCTION;
    };
    Row type = reshaping(choice(
        "IL Type", types, [isFunction] { return isFunction() ? 0 : 1; },
        always(doc, [&effect, types](const QVariant& v) {
            effect.SetILType(types[v.toInt()].toStdString());
        })));
    type.description = "Select an influence line type: either a built-in Function or a "
                       "user-specified Discrete influence line";
    grid.addRow(type, influence);

    const auto pick = [&doc, &effect](const QString& name) {
        effect.SetILByName(name.toStdString(), discreteLines(doc));
    };
    if (isFunction()) {
        QStringList forms;
        for (const CInfLineFunction::FormEntry& form : CInfLineFunction::Forms())
            forms << QString::fromUtf8(form.name.data(), static_cast<qsizetype>(form.name.size()));
        Row function = choice(
            "Function", forms,
            [&effect] {
                // Read again after the type row switched the line, before the page is filled
                // anew.
                const auto* line = dynamic_cast<const CInfLineFunction*>(effect.GetInfLine().get());
                const std::string_view name = line ? line->GetFormName() : std::string_view();
                return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
            },
            always(doc, [pick, forms](const QVariant& v) { pick(forms[v.toInt()]); }));
        function.description = "Choose the influence line function";
        grid.addRow(function, influence);
    } else {
        QStringList names;
        for (const CInfLineDiscrete& line : doc.m_vInfLines)
            names << QString::fromStdString(line.getDescription());
        Row discrete = choice(
            "Discrete", names,
            [&effect, names] {
                if (names.isEmpty())
                    return QString("No discrete ILs");
                const auto* line = dynamic_cast<const CInfLineDiscrete*>(effect.GetInfLine().get());
                const QString name = line ? QString::fromStdString(line->getDescription()) : "";
                // A line just switched to discrete is none of the project's yet.
                return names.contains(name) ? name : QString("Pick discrete IL");
            },
            always(doc, [pick, names](const QVariant& v) { pick(names[v.toInt()]); }));
        discrete.description = names.isEmpty() ? "Please define a discrete influence line first"
                                               : "Choose the discrete influence line";
        grid.addRow(discrete, influence);
    }

    PropertyGrid::Group weights = grid.addGroup("Lane Weights");
    for (std::size_t i = 0; i < effect.LaneWeights().size(); ++i) {
        Row weight = row(
            QString::asprintf("Index [%d]", static_cast<int>(i + 1)), Editor::Number,
            [&effect, i] { return effect.LaneWeights()[i]; },
            modifying(doc, [&effect, i](const QVariant& v) {
                if (i >= effect.LaneWeights().size())
                    return false;
                effect.LaneWeights()[i] = v.toDouble();
                return true;
            }));
        weight.description = "The weight for the lane of this index";
        grid.addRow(weight, weights);
    }
}

void showInfluenceLinePage(PropertyGrid& grid, CTarloDoc& doc, CInfLineDiscrete& line) {
    addDescription(grid, doc, line);
    PropertyGrid::Group statistics = grid.addGroup("Statistics");
    grid.addRow(readOnly("No. points", [&line] { return line.GetNoPoints(); }), statistics);
    grid.addRow(readOnly("Length (m)", [&line] { return line.GetLength(); }), statistics);
}

void showDistributionPage(PropertyGrid& grid, CTarloDoc& doc, CDiscreteDist& dist) {
    addDescription(grid, doc, dist);
    PropertyGrid::Group statistics = grid.addGroup("Statistics");
    grid.addRow(readOnly("No. bins", [&dist] { return dist.getSize(); }), statistics);
    grid.addRow(readOnly("Weighted mean", [&dist] { return dist.getMean(); }), statistics);

    const auto points = [&](const QString& group, const QString& label,
                            const std::vector<double>& (CDiscreteDist::*get)() const,
                            void (CDiscreteDist::*set)(std::vector<double>)) {
        PropertyGrid::Group values = grid.addGroup(group);
        for (std::size_t i = 0; i < (dist.*get)().size(); ++i)
            grid.addRow(row(
                            label, Editor::Number, [&dist, get, i] { return (dist.*get)()[i]; },
                            always(doc,
                                   [&dist, get, set, i](const QVariant& v) {
                                       std::vector<double> edited = (dist.*get)();
                                       edited[i] = v.toDouble();
                                       (dist.*set)(std::move(edited));
                                   })),
                        values);
    };
    points("Values", "Value", &CDiscreteDist::getData, &CDiscreteDist::setData);
    points("Probabilities", "Probability", &CDiscreteDist::getPMF, &CDiscreteDist::setPMF);
}

} // namespace

QStringList detectorParameterLabels(int category) {
    switch (category) {
    case DETECTOR_SEGMENT:
        return {"Start (m)", "End (m)"};
    case DETECTOR_ARRAY:
        return {"Start (m)", "Interval (m)", "End (m)"};
    case DETECTOR_LANE_CHANGE:
        return {"Interval (m)"};
    default:
        return {"Location (m)"};
    }
}

void showElementPage(PropertyGrid& grid, CTarloDoc& doc, CElement& element, Host& host) {
    switch (element.getElementType()) {
    case CElement::Configuration:
        showConfigurationPage(grid, doc, host);
        return;
    case CElement::RoadFeature:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showRoadFeaturePage(g, doc, static_cast<CRoadFeature&>(element));
        });
        return;
    case CElement::Detector:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showDetectorPage(g, doc, static_cast<CStatDetector&>(element));
        });
        return;
    case CElement::Bridge:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showBridgePage(g, doc, static_cast<CBridge&>(element));
        });
        return;
    case CElement::LoadEffect:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showLoadEffectPage(g, doc, static_cast<CLoadEffect&>(element));
        });
        return;
    case CElement::InfluenceLine:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showInfluenceLinePage(g, doc, static_cast<CInfLineDiscrete&>(element));
        });
        return;
    case CElement::DiscreteDistribution:
        grid.setPage([&doc, &element](PropertyGrid& g) {
            showDistributionPage(g, doc, static_cast<CDiscreteDist&>(element));
        });
        return;
    default:
        // The vehicle type and driver parameter nodes are edited in their dialogs.
        grid.setPage([&doc, &element](PropertyGrid& g) { addDescription(g, doc, element); });
        return;
    }
}

void showConfigurationPage(PropertyGrid& grid, CTarloDoc& doc, Host& host) {
    using C = CTarloDoc::Configuration;
    grid.setPage([&doc, &host](PropertyGrid& g) {
        CElement* node = doc.findElement("Simulation", 0);
        if (node)
            addDescription(g, doc, *node);

        PropertyGrid::Group files = g.addGroup("Traffic Files");
        Row file = configurationRow(doc, "Input traffic file", Editor::OpenFile, &C::m_FileIn);
        file.fileFilter = "All files (*)";
        const Setter storeFile = file.set;
        file.set = [&host, storeFile](const QVariant& v) {
            if (v.toString().trimmed().isEmpty()) {
                host.showMessage("Please select a file.", MessageIcon::Exclamation);
                return false;
            }
            return storeFile(v);
        };
        g.addRow(file, files);
        g.addRow(configurationRow(doc, "Auto metrics directory", Editor::Check, &C::m_bAutoDir),
                 files);
        g.addRow(configurationRow(doc, "Metrics output folder", Editor::Folder, &C::m_MetricsDir),
                 files);
        constexpr int firstFormat = 100;
        g.addRow(choice(
                     "Traffic file format", toStringList(doc.getFormatLabels()),
                     [&doc] { return doc.getConfiguration().m_FileType - firstFormat; },
                     [&doc](const QVariant& v) {
                         C values = doc.getConfiguration();
                         values.m_FileType = static_cast<std::uint16_t>(firstFormat + v.toInt());
                         doc.setConfiguration(values);
                         return true;
                     }),
                 files);
        PropertyGrid::Group fileLanes = g.addGroup("Number of Lanes", files);
        // The traffic file must have lanes in at least one direction.
        const auto fileLaneRow = [&](const QString& label, int C::*field, int C::*other) {
            Row lanes = configurationRow(doc, label, Editor::Integer, field);
            const Setter store = lanes.set;
            lanes.set = [&doc, &host, store, other](const QVariant& v) {
                if (v.toInt() < 0)
                    return false;
                if (v.toInt() == 0 && doc.getConfiguration().*other == 0) {
                    host.showMessage("There cannot be zero lanes in both directions",
                                     MessageIcon::Exclamation);
                    return false;
                }
                return store(v);
            };
            g.addRow(lanes, fileLanes);
        };
        fileLaneRow("Direction 1", &C::m_TrafFileNoLanesDirPos, &C::m_TrafFileNoLanesDirNeg);
        fileLaneRow("Direction 2", &C::m_TrafFileNoLanesDirNeg, &C::m_TrafFileNoLanesDirPos);

        PropertyGrid::Group details = g.addGroup("Simulation Details");
        g.addRow(row(
                     "Time step (s)", Editor::Number, [&doc] { return doc.m_SimTimeStep; },
                     [&doc](const QVariant& v) {
                         if (v.toDouble() <= 0.0)
                             return false;
                         C values = doc.getConfiguration();
                         values.m_SimTimeStepMs = v.toDouble() * 1000.0;
                         doc.setConfiguration(values);
                         return true;
                     }),
                 details);
        g.addRow(configurationRow(doc, "Execute on open", Editor::Check, &C::m_bExecuteOnOpen),
                 details);

        PropertyGrid::Group road = g.addGroup("Simulation Road");
        Row length = configurationRow(doc, "Road length (m)", Editor::Integer, &C::m_RoadLength);
        const Setter storeLength = length.set;
        length.set = [storeLength](const QVariant& v) { return v.toInt() > 0 && storeLength(v); };
        g.addRow(length, road);
        PropertyGrid::Group roadLanes = g.addGroup("Number of Lanes", road);
        const auto roadLaneRow = [&](const QString& label, int C::*field) {
            Row lanes = configurationRow(doc, label, Editor::Integer, field);
            const Setter store = lanes.set;
            lanes.set = [store](const QVariant& v) { return v.toInt() >= 0 && store(v); };
            g.addRow(lanes, roadLanes);
        };
        roadLaneRow("Direction 1", &C::m_NoLanesDirPos);
        roadLaneRow("Direction 2", &C::m_NoLanesDirNeg);
        g.addRow(configurationRow(doc, "Drive on the right", Editor::Check, &C::m_DriveOnRight),
                 road);
        g.addRow(
            configurationRow(doc, "Lane changes allowed", Editor::Check, &C::m_AllowLaneChanging),
            road);
        // Not among the configuration dialog's fields: stored directly.
        g.addRow(row(
                     "Constant velocity", Editor::Check, [&doc] { return doc.m_bConstVelocity; },
                     always(doc, [&doc](const QVariant& v) { doc.m_bConstVelocity = v.toBool(); })),
                 road);
        g.addRow(
            configurationRow(doc, "Output cars to file", Editor::Check, &C::m_OutputCarsToFile),
            road);
    });
}

void showViewPage(PropertyGrid& grid, CTarloView& view, Host& host) {
    grid.setPage([&view, &host](PropertyGrid& g) {
        ViewProperties& p = view.properties();
        const auto number = [&](PropertyGrid::Group group, const QString& label, double& field,
                                std::function<void(double)> set = nullptr) {
            g.addRow(row(
                         label, Editor::Number, [&field] { return field; },
                         [&view, &field, set](const QVariant& v) {
                             if (set)
                                 set(v.toDouble());
                             else
                                 field = v.toDouble();
                             view.refresh();
                             return true;
                         }),
                     group);
        };
        const auto check = [&](PropertyGrid::Group group, const QString& label, bool& field) {
            g.addRow(row(
                         label, Editor::Check, [&field] { return field; },
                         [&view, &field](const QVariant& v) {
                             field = v.toBool();
                             view.refresh();
                             return true;
                         }),
                     group);
        };
        PropertyGrid::Group scales = g.addGroup("Scales");
        number(scales, "Overall scale", p.m_Scale,
               [&p, &host](double v) { p.setOverallScale(v, host); });
        number(scales, "Widths scale", p.m_WidthsScale,
               [&p, &host](double v) { p.setWidthsScale(v, host); });
        number(scales, "Vehicle length scale", p.m_VehicleLengthScale);
        PropertyGrid::Group dimensions = g.addGroup("Dimensions");
        number(dimensions, "Lane width (m)", p.m_LaneWidth);
        number(dimensions, "Vehicle width (m)", p.m_VehicleWidth,
               [&p, &host](double v) { p.setVehicleWidth(v, host); });
        number(dimensions, "Tick length (m)", p.m_TickLength);
        g.addRow(row(
                     "Tick interval (m)", Editor::Number, [&p] { return p.m_TickInterval; },
                     [&view, &p](const QVariant& v) {
                         p.setTickInterval(v.toDouble());
                         view.refresh();
                         return true;
                     }),
                 dimensions);
        PropertyGrid::Group options = g.addGroup("Options");
        check(options, "Show velocities", p.m_bShowVelocities);
        check(options, "Show legend", p.m_bShowLegend);
        PropertyGrid::Group borders = g.addGroup("Borders");
        number(borders, "Top (m)", p.m_BorderTop);
        number(borders, "Bottom (m)", p.m_BorderBottom);
        number(borders, "Left (m)", p.m_BorderLeft);
        number(borders, "Right (m)", p.m_BorderRight);
    });
}

namespace {

Editor settingEditor(const CSettings::Key& key, CSettings& settings) {
    if (key.rule == CSettings::Rule::Colour)
        return Editor::Colour;
    if (key.rule == CSettings::Rule::GapModelIndex)
        return Editor::Choice;
    return std::visit(
        [](auto* field) {
            using Value = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<Value, bool>)
                return Editor::Check;
            else if constexpr (std::is_same_v<Value, double>)
                return Editor::Number;
            else
                return Editor::Integer;
        },
        key.field(settings));
}

// The text the settings object accepts for an edited value.
std::string settingText(const CSettings::Key& key, const QVariant& value) {
    if (key.rule == CSettings::Rule::GapModelIndex)
        return CSettings::desiredGapModelLabels()[static_cast<std::size_t>(value.toInt())].data();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "1" : "0";
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17).toStdString();
    return value.toString().toStdString();
}

} // namespace

void showSettingsPage(PropertyGrid& grid, CSettings& settings, Host&) {
    grid.setPage([&settings](PropertyGrid& g) {
        QStringList gapModels;
        for (std::string_view label : CSettings::desiredGapModelLabels())
            gapModels << QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
        std::map<std::string_view, PropertyGrid::Group> groups;
        for (const CSettings::Key& key : CSettings::keys()) {
            auto group = groups.find(key.group);
            if (group == groups.end())
                group =
                    groups
                        .emplace(key.group,
                                 g.addGroup(QString::fromUtf8(
                                     key.group.data(), static_cast<qsizetype>(key.group.size()))))
                        .first;
            Row r = row(
                QString::fromUtf8(key.label.data(), static_cast<qsizetype>(key.label.size())),
                settingEditor(key, settings),
                [&settings, &key] {
                    return std::visit([](auto* field) { return QVariant::fromValue(*field); },
                                      key.field(settings));
                },
                // Values the settings do not accept are ignored: the old one stays.
                [&settings, &key](const QVariant& v) {
                    return settings.accept(key.name, settingText(key, v));
                });
            if (key.rule == CSettings::Rule::GapModelIndex)
                r.choices = gapModels;
            g.addRow(r, group->second);
        }
    });
}

} // namespace tarlo
