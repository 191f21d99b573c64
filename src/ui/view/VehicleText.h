#pragma once

#include <QString>

namespace tarlo {

class Vehicle;

// The "Vehicle" pane's text for a selected vehicle: its record, its state on the road, the
// driver parameters in force and its axles, one value a line, each line ending in CR LF.
QString vehiclePaneText(const Vehicle& vehicle);

} // namespace tarlo
