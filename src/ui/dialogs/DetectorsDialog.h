#pragma once

#include "detectors/CStatDetector.h"

#include "ui/dialogs/ElementListDialog.h"

#include <vector>

namespace tarlo {

class CTarloDoc;
class Host;

// "Macroscopic Traffic Flow Metrics Detectors": one grid row per detector of a copy of the
// document's list, the kind and vehicle-type cells chosen from their labels; OK replaces the
// document's list. Edits go into the copy as they are made.
class DetectorsDialog : public ElementListDialog {
public:
    enum Column {
        TypeColumn,
        VehicleColumn,
        DirectionColumn,
        IntervalColumn,
        ParamAColumn,
        ParamBColumn,
        ParamCColumn
    };

    DetectorsDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;
    const std::vector<CStatDetector>& detectors() const { return m_vDetectors; }

    void addDetector();
    void deleteDetector();

private:
    void fillRow(int row);
    // The parameters the row's kind does not use are greyed out; each used one tells its
    // meaning in its tip.
    void markParameters(int row);
    // A cell that is not a whole number is put back to the stored value.
    void cellEdited(int row, int column);

    CTarloDoc& m_Doc;
    Host& m_Host;
    std::vector<CStatDetector> m_vDetectors;
    bool m_bFilling = false;
};

} // namespace tarlo
