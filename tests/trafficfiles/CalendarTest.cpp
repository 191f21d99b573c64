#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"

#include <gtest/gtest.h>

#include <array>

namespace tarlo {
namespace {

// day, month, year, hour, minute, second, hundredths
using Stamp = std::array<unsigned, 7>;

Stamp stampOf(const Vehicle& v) {
    return {v.day, v.month, v.year, v.hour, v.minute, v.second, v.hundredths};
}

void setStamp(Vehicle& v, const Stamp& s) {
    v.day = s[0];
    v.month = s[1];
    v.year = s[2];
    v.hour = s[3];
    v.minute = s[4];
    v.second = s[5];
    v.hundredths = s[6];
}

struct CalendarCase {
    double seconds;
    Stamp stamp;
};

TEST(Calendar, SecondsToTimeStampOnTheWorkingDayCalendar) {
    const CalendarCase cases[] = {
        {0.0, {1, 1, 0, 0, 0, 0, 0}},
        {3500000.0, {16, 2, 0, 12, 13, 20, 0}},
        {21600000.0, {1, 1, 1, 0, 0, 0, 0}}, // one 250-day year
        {21600000.0 - 0.5, {25, 10, 0, 23, 59, 59, 50}},
    };
    CSettings settings;
    for (const CalendarCase& c : cases) {
        SCOPED_TRACE(c.seconds);
        Vehicle v(settings);
        v.setTime(c.seconds);
        EXPECT_EQ(c.stamp, stampOf(v));
        EXPECT_DOUBLE_EQ(c.seconds, v.getTime());
    }
}

TEST(Calendar, TimeStampRoundTripsThroughSeconds) {
    CSettings settings;
    Vehicle v(settings);
    for (const Stamp& base : {Stamp{1, 1, 0, 0, 0, 0, 0}, Stamp{16, 2, 0, 12, 13, 20, 0},
                              Stamp{25, 10, 99, 23, 59, 59, 0}}) {
        for (unsigned hundredths = 0; hundredths < 100; ++hundredths) {
            Stamp stamp = base;
            stamp[6] = hundredths;
            setStamp(v, stamp);
            v.setTime(v.getTime());
            ASSERT_EQ(stamp, stampOf(v)) << "hundredths " << hundredths;
        }
    }
}

TEST(Calendar, TimeStampColumnsOfWrittenRecords) {
    CSettings settings;
    Vehicle v(settings);
    v.setTime(3500000.0);
    auto saft = makeFileHandler(FORMAT_SAFT, settings, 0, "", "");
    auto castor = makeFileHandler(FORMAT_CASTOR, settings, 0, "", "");
    EXPECT_EQ("16020012132000", saft->formatRecord(v).substr(10, 14));
    EXPECT_EQ("16 2 0121320 0", castor->formatRecord(v).substr(4, 14));
}

} // namespace
} // namespace tarlo
