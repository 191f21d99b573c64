#include "ui/view/VehicleText.h"

#include "engine/IDM.h"
#include "engine/Vehicle.h"

namespace tarlo {

namespace {
constexpr double msToKmh = 3.6;

void addLine(QString& text, const QString& line) {
    text += line;
    text += QStringLiteral("\r\n");
}

void addSeparator(QString& text) {
    addLine(text, QString(35, QLatin1Char('-')));
}
} // namespace

QString vehiclePaneText(const Vehicle& vehicle) {
    QString text;
    addLine(text, QStringLiteral("Selected Vehicle Data:"));
    addSeparator(text);
    addLine(text, QString::asprintf("Class:        \t%d", vehicle.vehicleClass));
    addLine(text, QString::asprintf("ID:         \t\t%d", static_cast<int>(vehicle.vehicleNo)));
    addLine(text,
            QStringLiteral("Direction: \t") +
                (vehicle.dirPositive ? QStringLiteral("Positive") : QStringLiteral("Negative")));
    addLine(text, QString::asprintf("Lane:         \t%d", vehicle.lane));
    addLine(text, QString::asprintf("Position:     \t%4.1f m", vehicle.position));
    addLine(text, QString::asprintf("Gap:\t\t\t\t%4.1f m", vehicle.gap));
    addLine(text, QString::asprintf("Velocity:     \t%3.1f km/h", vehicle.speed * msToKmh));
    addLine(text, QString::asprintf("Acceleration: \t%2.2f m/s^2", vehicle.accel));
    const double desired = vehicle.driver ? vehicle.driver->getDesiredSpeed() : 0.0;
    addLine(text, QString::asprintf("Desired Vel.: \t%3.1f km/h", desired * msToKmh));
    addSeparator(text);
    // Every driver the road gives a vehicle is an IDM driver; the parameters are its own.
    if (const auto* idm = dynamic_cast<const IDM*>(vehicle.driver.get())) {
        addLine(text, QString::asprintf("IDM T:  \t\t%1.2f s", idm->T));
        addLine(text, QString::asprintf("IDM A:  \t\t%2.2f m/s^2", idm->a));
        addLine(text, QString::asprintf("IDM B:  \t\t%2.2f m/s^2", idm->b));
        addLine(text, QString::asprintf("IDM S0: \t\t%2.2f m", idm->s0));
        addLine(text, QString::asprintf("IDM S1: \t\t%2.2f m", idm->s1));
        addLine(text, QString::asprintf("IDM V0: \t\t%3.1f m/s", idm->v0));
        addLine(text, QString::asprintf("IDM Delta: \t%2.1f", idm->delta));
        addLine(text, QString::asprintf("IDM Polite: \t%2.2f", idm->politeness));
        addLine(text, QString::asprintf("IDM Bias: \t%2.2f", idm->bias));
        addLine(text, QString::asprintf("IDM DeltaAth: \t%2.2f", idm->threshold));
    }
    addSeparator(text);
    addLine(text, QString::asprintf("GVW:         \t%3.1f kN", vehicle.gvw));
    addLine(text, QString::asprintf("Length:      \t%2.1f m", vehicle.length));
    addLine(text, QString::asprintf("No of Axles: \t%d", static_cast<int>(vehicle.noAxles)));
    for (std::size_t k = 0; k < vehicle.axles.size(); ++k) {
        QString line = QString::asprintf("Axle %d: \t", static_cast<int>(k + 1));
        line += QString::asprintf("%2.1f kN", vehicle.axles[k].weight);
        if (k + 1 < vehicle.axles.size())
            line += QString::asprintf(" | %2.1f m", vehicle.axles[k].spacing);
        addLine(text, line);
    }
    return text;
}

} // namespace tarlo
