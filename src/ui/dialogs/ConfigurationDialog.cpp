#include "ui/dialogs/ConfigurationDialog.h"

#include "platform/Host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarlo {

namespace {

// The lowest traffic format code; the format box lists the formats from it.
constexpr int FirstFileType = 100;

QLineEdit* countEdit(int value, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setValidator(new QIntValidator(0, 1000, edit));
    return edit;
}

QWidget* withButton(QLineEdit* edit, QPushButton* button, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    layout->addWidget(button);
    return row;
}

} // namespace

ConfigurationDialog::ConfigurationDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : QDialog(parent), m_Doc(doc), m_Host(host) {
    setWindowTitle("Simulation Configuration");
    const CTarloDoc::Configuration values = doc.getConfiguration();

    auto* files = new QGroupBox("Traffic Files", this);
    auto* filesForm = new QFormLayout(files);
    m_pFileIn = new QLineEdit(QString::fromStdString(values.m_FileIn), files);
    auto* browse = new QPushButton("...", files);
    connect(browse, &QPushButton::clicked, this, &ConfigurationDialog::browseTrafficFile);
    filesForm->addRow("Input traffic file", withButton(m_pFileIn, browse, files));
    m_pAutoDir = new QCheckBox(files);
    m_pAutoDir->setChecked(values.m_bAutoDir);
    filesForm->addRow("Auto metrics directory", m_pAutoDir);
    m_pMetricsDir = new QLineEdit(QString::fromStdString(values.m_MetricsDir), files);
    auto* pick = new QPushButton("...", files);
    connect(pick, &QPushButton::clicked, this, &ConfigurationDialog::pickMetricsDir);
    filesForm->addRow("Metrics output folder", withButton(m_pMetricsDir, pick, files));
    m_pFileType = new QComboBox(files);
    for (const std::string& label : doc.getFormatLabels())
        m_pFileType->addItem(QString::fromStdString(label));
    m_pFileType->setCurrentIndex(values.m_FileType - FirstFileType);
    filesForm->addRow("Traffic file format", m_pFileType);
    m_pTrafficLanes[0] = countEdit(values.m_TrafFileNoLanesDirPos, files);
    m_pTrafficLanes[1] = countEdit(values.m_TrafFileNoLanesDirNeg, files);
    filesForm->addRow("Number of Lanes: Direction 1", m_pTrafficLanes[0]);
    filesForm->addRow("Number of Lanes: Direction 2", m_pTrafficLanes[1]);

    auto* details = new QGroupBox("Simulation Details", this);
    auto* detailsForm = new QFormLayout(details);
    m_pTimeStep = new QLineEdit(QString::number(values.m_SimTimeStepMs), details);
    m_pTimeStep->setValidator(new QDoubleValidator(0.0, 1.0e6, 6, m_pTimeStep));
    detailsForm->addRow("Time step (ms)", m_pTimeStep);
    m_pExecuteOnOpen = new QCheckBox(details);
    m_pExecuteOnOpen->setChecked(values.m_bExecuteOnOpen);
    detailsForm->addRow("Execute on open", m_pExecuteOnOpen);

    auto* road = new QGroupBox("Simulation Road", this);
    auto* roadForm = new QFormLayout(road);
    m_pRoadLength = new QLineEdit(QString::number(values.m_RoadLength), road);
    m_pRoadLength->setValidator(new QIntValidator(0, 1000000000, m_pRoadLength));
    roadForm->addRow("Road length (m)", m_pRoadLength);
    m_pRoadLanes[0] = countEdit(values.m_NoLanesDirPos, road);
    m_pRoadLanes[1] = countEdit(values.m_NoLanesDirNeg, road);
    roadForm->addRow("Road lanes: Direction 1", m_pRoadLanes[0]);
    roadForm->addRow("Road lanes: Direction 2", m_pRoadLanes[1]);
    m_pDriveOnRight = new QCheckBox(road);
    m_pDriveOnRight->setChecked(values.m_DriveOnRight);
    roadForm->addRow("Drive on the right", m_pDriveOnRight);
    m_pLaneChanging = new QCheckBox(road);
    m_pLaneChanging->setChecked(values.m_AllowLaneChanging);
    roadForm->addRow("Lane changes allowed", m_pLaneChanging);
    m_pOutputCars = new QCheckBox(road);
    m_pOutputCars->setChecked(values.m_OutputCarsToFile);
    roadForm->addRow("Output cars to file", m_pOutputCars);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigurationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConfigurationDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files);
    layout->addWidget(details);
    layout->addWidget(road);
    layout->addWidget(buttons);
}

QLineEdit* ConfigurationDialog::roadLanesEdit(int direction) const {
    return m_pRoadLanes[direction == 1 ? 0 : 1];
}

QLineEdit* ConfigurationDialog::trafficLanesEdit(int direction) const {
    return m_pTrafficLanes[direction == 1 ? 0 : 1];
}

void ConfigurationDialog::accept() {
    if (QLineEdit* failed = firstFailedEntry()) {
        failed->setFocus();
        return;
    }
    m_Doc.setConfiguration(enteredValues());
    QDialog::accept();
}

QLineEdit* ConfigurationDialog::firstFailedEntry() {
    const auto refuse = [this](QLineEdit* entry, const char* text) {
        m_Host.showMessage(text, MessageIcon::Exclamation);
        return entry;
    };
    if (m_pFileIn->text().isEmpty())
        return refuse(m_pFileIn, "Please select a file.");
    for (QLineEdit* count :
         {m_pTrafficLanes[0], m_pTrafficLanes[1], m_pRoadLanes[0], m_pRoadLanes[1]}) {
        if (count->text().isEmpty())
            return refuse(count, "Please specify the number of lanes.");
    }
    const int trafficLanes[2] = {m_pTrafficLanes[0]->text().toInt(),
                                 m_pTrafficLanes[1]->text().toInt()};
    const int roadLanes[2] = {m_pRoadLanes[0]->text().toInt(), m_pRoadLanes[1]->text().toInt()};
    if (trafficLanes[0] == 0 && trafficLanes[1] == 0)
        return refuse(m_pTrafficLanes[0], "There cannot be zero lanes in both directions");
    for (int i = 0; i < 2; ++i) {
        if (roadLanes[i] < trafficLanes[i])
            return refuse(m_pRoadLanes[i], "The number of simulation lanes must not \nbe less "
                                           "than that of the traffic file.");
    }
    for (int i = 0; i < 2; ++i) {
        if (trafficLanes[i] == 0 && roadLanes[i] > 0)
            return refuse(m_pRoadLanes[i], "For this direction, there will be no vehicles \n"
                                           "since there are no lanes in the traffic file");
    }
    return nullptr;
}

CTarloDoc::Configuration ConfigurationDialog::enteredValues() const {
    CTarloDoc::Configuration values;
    values.m_FileIn = m_pFileIn->text().toStdString();
    values.m_MetricsDir = m_pMetricsDir->text().toStdString();
    values.m_bAutoDir = m_pAutoDir->isChecked();
    values.m_FileType = static_cast<std::uint16_t>(FirstFileType + m_pFileType->currentIndex());
    values.m_RoadLength = m_pRoadLength->text().toInt();
    values.m_DriveOnRight = m_pDriveOnRight->isChecked();
    values.m_NoLanesDirPos = m_pRoadLanes[0]->text().toInt();
    values.m_NoLanesDirNeg = m_pRoadLanes[1]->text().toInt();
    values.m_SimTimeStepMs = m_pTimeStep->text().toDouble();
    values.m_AllowLaneChanging = m_pLaneChanging->isChecked();
    values.m_OutputCarsToFile = m_pOutputCars->isChecked();
    values.m_TrafFileNoLanesDirPos = m_pTrafficLanes[0]->text().toInt();
    values.m_TrafFileNoLanesDirNeg = m_pTrafficLanes[1]->text().toInt();
    values.m_bExecuteOnOpen = m_pExecuteOnOpen->isChecked();
    return values;
}

void ConfigurationDialog::browseTrafficFile() {
    const QString name =
        QFileDialog::getOpenFileName(this, "Input traffic file", m_pFileIn->text());
    if (!name.isEmpty())
        m_pFileIn->setText(name);
}

void ConfigurationDialog::pickMetricsDir() {
    // The picker lets a folder name be typed when the item picked is not a folder.
    QFileDialog picker(this, "Pick a Directory", m_pMetricsDir->text());
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty())
        m_pMetricsDir->setText(picker.selectedFiles().front());
}

} // namespace tarlo
