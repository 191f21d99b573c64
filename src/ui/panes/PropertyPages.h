#pragma once

#include <QStringList>

namespace tarlo {

class CElement;
class CSettings;
class CTarloDoc;
class CTarloView;
class Host;
class PropertyGrid;

// Fill the grid with the page of what is selected. Every edit goes through the edited
// object's own rule; the grid emits edited() after each accepted one. A page's rows hold
// the element itself: show a page afresh (or clear the grid) whenever the element's list
// changes (an element added, deleted or replaced by a dialog).
void showElementPage(PropertyGrid& grid, CTarloDoc& doc, CElement& element, Host& host);
void showConfigurationPage(PropertyGrid& grid, CTarloDoc& doc, Host& host);
void showViewPage(PropertyGrid& grid, CTarloView& view, Host& host);
void showSettingsPage(PropertyGrid& grid, CSettings& settings, Host& host);

// The labels of the parameters A, B, C that a detector of the category uses, in that order;
// the parameters past the last label mean nothing to it.
QStringList detectorParameterLabels(int category);

} // namespace tarlo
