#pragma once

#include "vehicles/CVehicleTypes.h"

#include <QDialog>

class QComboBox;
class QLineSeries;
class QListWidget;
class QTableWidget;

namespace tarlo {

class CParameter;
class CTarloDoc;

// "IDM Traffic Model Configuration" over a copy of the document's vehicle types: for the
// chosen type, the grid "User Defined Vehicle Parameters" with each driver parameter's
// distribution and its location (or discrete distribution's name), scale and shape, and a
// chart of the chosen parameter's distribution. "Vehicle Types..." edits the types' criteria
// in the same copy; OK replaces the document's set.
class TrafficModelDialog : public QDialog {
public:
    enum Column { DistributionColumn, LocationColumn, ScaleColumn, ShapeColumn };

    explicit TrafficModelDialog(CTarloDoc& doc, QWidget* parent = nullptr);

    void accept() override;
    const CVehicleTypes& types() const { return m_Types; }
    QListWidget* typeList() const { return m_pTypeList; }
    // One row per parameter in set order.
    QTableWidget* parameterGrid() const { return m_pGrid; }
    QLineSeries* series() const { return m_pSeries; }
    // The cell's choice box: the distribution, or a discrete parameter's distribution name.
    QComboBox* choiceBox(int row, int column) const;

    void editVehicleTypes();

private:
    CParameter& parameter(int row);
    void showType();
    void showParameter(int row);
    void distributionChosen(int row, const QString& label);
    void discreteChosen(int row, const QString& name);
    // A value that is not a number is put back to the stored one.
    void valueEdited(int row, int column);
    void redrawChart();

    CTarloDoc& m_Doc;
    CVehicleTypes m_Types;
    QListWidget* m_pTypeList;
    QTableWidget* m_pGrid;
    QLineSeries* m_pSeries;
    bool m_bShowing = false;
};

} // namespace tarlo
