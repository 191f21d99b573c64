#pragma once

#include "project/CTarloDoc.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarlo {

class Host;

// "Simulation Configuration": the traffic file, the metrics folder, the time step in
// milliseconds, the road and the run switches of a document. OK tests the entries in turn,
// shows the first failure through the host with the focus on its entry, and otherwise
// stores the values through the document.
class ConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    ConfigurationDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* trafficFileEdit() const { return m_pFileIn; }
    QLineEdit* metricsDirEdit() const { return m_pMetricsDir; }
    QCheckBox* autoDirBox() const { return m_pAutoDir; }
    QComboBox* fileTypeBox() const { return m_pFileType; }
    QLineEdit* roadLengthEdit() const { return m_pRoadLength; }
    QLineEdit* timeStepEdit() const { return m_pTimeStep; }
    QLineEdit* roadLanesEdit(int direction) const;
    QLineEdit* trafficLanesEdit(int direction) const;
    QCheckBox* driveOnRightBox() const { return m_pDriveOnRight; }
    QCheckBox* laneChangingBox() const { return m_pLaneChanging; }
    QCheckBox* outputCarsBox() const { return m_pOutputCars; }
    QCheckBox* executeOnOpenBox() const { return m_pExecuteOnOpen; }

private:
    void browseTrafficFile();
    void pickMetricsDir();
    // The first entry that fails, after its message has been shown; null when all pass.
    QLineEdit* firstFailedEntry();
    CTarloDoc::Configuration enteredValues() const;

    CTarloDoc& m_Doc;
    Host& m_Host;
    QLineEdit* m_pFileIn;
    QLineEdit* m_pMetricsDir;
    QCheckBox* m_pAutoDir;
    QComboBox* m_pFileType;
    QLineEdit* m_pTrafficLanes[2];
    QLineEdit* m_pTimeStep;
    QCheckBox* m_pExecuteOnOpen;
    QLineEdit* m_pRoadLength;
    QLineEdit* m_pRoadLanes[2];
    QCheckBox* m_pDriveOnRight;
    QCheckBox* m_pLaneChanging;
    QCheckBox* m_pOutputCars;
};

} // namespace tarlo
