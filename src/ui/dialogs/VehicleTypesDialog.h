#pragma once

#include "vehicles/CVehicleTypes.h"
#include "vehicles/VehicleTypeCriterion.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace tarlo {

// "Vehicle Type Definitions": the limits of the six criteria, the importance and the colour
// of each vehicle type, edited on a copy of the set that the caller takes on OK.
class VehicleTypesDialog : public QDialog {
    Q_OBJECT
public:
    explicit VehicleTypesDialog(const CVehicleTypes& types, QWidget* parent = nullptr);

    const CVehicleTypes& types() const { return m_Types; }
    QListWidget* typeList() const { return m_pTypeList; }
    // One row per criterion, columns "Low Inclusive Limit" and "High Inclusive Limit".
    QTableWidget* criteriaGrid() const { return m_pCriteria; }
    QComboBox* importance() const { return m_pImportance; }
    QPushButton* colourButton() const { return m_pColour; }
    void setColour(const QColor& colour);

    // The criteria in the grid's row order.
    static constexpr unsigned RowCriteria[] = {
        VehicleTypeCriterion::NoAxles,        VehicleTypeCriterion::GVW,
        VehicleTypeCriterion::Length,         VehicleTypeCriterion::MinAxleSpacing,
        VehicleTypeCriterion::AveAxleSpacing, VehicleTypeCriterion::MaxAxleSpacing};

private:
    CVehicleType& current();
    void showType();
    // A limit that is not a number is put back to the stored one.
    void limitEdited(int row, int column);
    void pickColour();

    CVehicleTypes m_Types;
    QListWidget* m_pTypeList;
    QTableWidget* m_pCriteria;
    QComboBox* m_pImportance;
    QPushButton* m_pColour;
    bool m_bShowing = false;
};

} // namespace tarlo
