#pragma once

namespace tarlo {

class CSettings;
class Host;

// The display properties of one road view, shown as its "Window Properties". The setters
// apply the edit rules: a refused value is replaced by the rule's default and the rule's
// message goes to the host.
class ViewProperties {
public:
    explicit ViewProperties(const CSettings& settings);

    double minViewScale() const { return m_MinViewScale; }

    // Pixels per metre along the road.
    void setOverallScale(double scale, Host& host);
    // Exaggeration of widths across the road.
    void setWidthsScale(double scale, Host& host);
    void setVehicleWidth(double width, Host& host);
    // Whole metres.
    void setTickInterval(double interval);

    double m_Scale = 1.0;
    double m_WidthsScale = 10.0;
    double m_VehicleLengthScale = 2.0;
    double m_LaneWidth = 4.0;
    double m_VehicleWidth = 3.0;
    double m_TickLength = 1.0;
    int m_TickInterval = 500;
    bool m_bShowVelocities = true;
    bool m_bShowLegend = false;
    double m_BorderTop = 20.0;
    double m_BorderBottom = 40.0;
    double m_BorderLeft = 20.0;
    double m_BorderRight = 100.0;

private:
    double m_MinViewScale;
};

} // namespace tarlo
