#include "ui/view/ViewProperties.h"

#include "platform/Host.h"
#include "project/settings/CSettings.h"

#include <cmath>

namespace tarlo {

namespace {
constexpr double defaultWidthsScale = 10.0;
constexpr double vehicleShareOfLane = 0.8;
} // namespace

ViewProperties::ViewProperties(const CSettings& settings)
    : m_MinViewScale(settings.View.MIN_VIEW_SCALE) {}

void ViewProperties::setOverallScale(double scale, Host& host) {
    if (scale < m_MinViewScale) {
        host.showMessage("View scale cannot be less than minimum - default minimum set",
                         MessageIcon::Exclamation);
        scale = m_MinViewScale;
    }
    m_Scale = scale;
}

void ViewProperties::setWidthsScale(double scale, Host& host) {
    if (scale < 1.0) {
        host.showMessage("Widths scale cannot be less than 1.0 - default set",
                         MessageIcon::Exclamation);
        scale = defaultWidthsScale;
    }
    m_WidthsScale = scale;
}

void ViewProperties::setVehicleWidth(double width, Host& host) {
    if (width >= m_LaneWidth) {
        host.showMessage("Vehicle width should be less than lane width - default of 80% of lane "
                         "width set",
                         MessageIcon::Exclamation);
        width = vehicleShareOfLane * m_LaneWidth;
    }
    m_VehicleWidth = width;
}

void ViewProperties::setTickInterval(double interval) {
    m_TickInterval = static_cast<int>(std::lround(interval));
}

} // namespace tarlo
