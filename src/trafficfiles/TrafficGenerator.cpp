#include "trafficfiles/TrafficGenerator.h"

#include "trafficfiles/FileHandler.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarlo {

namespace {

constexpr double KN_PER_TONNE = 9.81;
// Trucks prefer the inside lane: relative truck weight of lane 1 and of every other lane.
constexpr double INSIDE_LANE_TRUCK_WEIGHT = 1.0;
constexpr double OTHER_LANE_TRUCK_WEIGHT = 0.25;
// Headroom on the time the previous vehicle needs to clear the lane entrance, because the
// release waits for the next simulation step and the vehicle may slow down.
constexpr double ENTRANCE_CLEARANCE_MARGIN = 1.1;

struct Range {
    double min;
    double max;
};

// Axles of a tandem or tridem group.
constexpr Range GROUP_SPACING{1.25, 1.40};

struct TruckLayout {
    unsigned axles;
    double share; // of all trucks
    Range length; // m
    Range gross;  // t
    std::array<Range, 5> spacings;
    std::array<double, 6> weightShares; // front to back, before jitter
};

// Rigid trucks of two and three axles, tractors with semi-trailers of four to six axles.
constexpr std::array<TruckLayout, 5> TRUCK_LAYOUTS{{
    {2, 0.25, {7.0, 10.0}, {8.0, 18.0}, {{{3.5, 6.0}}}, {0.40, 0.60}},
    {3, 0.15, {8.5, 11.0}, {12.0, 26.0}, {{{3.5, 5.5}, GROUP_SPACING}}, {0.30, 0.35, 0.35}},
    {4,
     0.15,
     {13.5, 16.5},
     {15.0, 36.0},
     {{{3.2, 4.0}, {5.0, 6.0}, GROUP_SPACING}},
     {0.20, 0.30, 0.25, 0.25}},
    {5,
     0.40,
     {15.5, 16.5},
     {15.0, 44.0},
     {{{3.4, 4.0}, {5.0, 6.0}, GROUP_SPACING, GROUP_SPACING}},
     {0.15, 0.25, 0.20, 0.20, 0.20}},
    {6,
     0.05,
     {16.0, 18.0},
     {18.0, 44.0},
     {{{3.2, 3.8}, GROUP_SPACING, {4.5, 6.0}, GROUP_SPACING, GROUP_SPACING}},
     {0.13, 0.17, 0.17, 0.18, 0.18, 0.17}},
}};

// Uniform in (0, 1), never exactly 0 or 1.
double unit(std::mt19937& engine) {
    return (static_cast<double>(engine()) + 0.5) / 4294967296.0;
}

double uniform(std::mt19937& engine, Range range) {
    return range.min + (range.max - range.min) * unit(engine);
}

double exponential(std::mt19937& engine, double mean) {
    return -mean * std::log(unit(engine));
}

std::uint64_t toHundredths(double seconds) {
    constexpr double limit = 1e18;
    if (!(seconds > 0.0)) // also not a number
        return 0;
    return static_cast<std::uint64_t>(std::ceil(std::min(seconds * 100.0, limit)));
}

// Laden and unladen trucks: a light and a heavy mode over the layout's range.
double grossWeight(std::mt19937& engine, Range gross) {
    const double span = gross.max - gross.min;
    if (unit(engine) < 0.35)
        return uniform(engine, {gross.min, gross.min + 0.35 * span});
    return uniform(engine, {gross.min + 0.3 * span, gross.max});
}

void setAxles(Vehicle& vehicle, const std::vector<double>& spacings,
              const std::vector<double>& weights) {
    vehicle.noAxles = static_cast<unsigned>(weights.size());
    vehicle.axles.assign(weights.size(), Axle{});
    double position = 0.0;
    double gross = 0.0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        vehicle.axles[i].position = position;
        vehicle.axles[i].weight = weights[i];
        vehicle.axles[i].spacing = i < spacings.size() ? spacings[i] : 0.0;
        position += vehicle.axles[i].spacing;
        gross += weights[i];
    }
    vehicle.gvw = gross;
}

} // namespace

TrafficGenerator::TrafficGenerator(const CSettings& settings, const Options& options)
    : m_Settings(settings), m_Options(options) {
    // Without a flow no lane has an arrival; any flow then keeps the arithmetic finite.
    const bool flows = m_Options.flowPerLane > 0.0;
    m_Options.flowPerLane = flows ? std::min(m_Options.flowPerLane, MAX_FLOW) : MAX_FLOW;
    m_Options.truckShare = m_Options.truckShare > 0.0 ? std::min(m_Options.truckShare, 1.0) : 0.0;
    const std::uint64_t start = toHundredths(m_Options.startTime);
    m_EndHundredths = flows ? toHundredths(m_Options.endTime) : start;

    const auto seedLow = static_cast<std::uint32_t>(m_Options.seed);
    const auto seedHigh = static_cast<std::uint32_t>(m_Options.seed >> 32);
    auto addDirection = [&](int direction, unsigned lanes) {
        const std::vector<double> shares = laneTruckShares(lanes, m_Options.truckShare);
        for (unsigned lane = 1; lane <= lanes; ++lane) {
            // Every lane has its own engine, so adding a lane leaves the others unchanged.
            std::seed_seq seq{seedLow, seedHigh, static_cast<std::uint32_t>(direction),
                              static_cast<std::uint32_t>(lane)};
            LaneStream& stream = m_vLanes.emplace_back();
            stream.direction = direction;
            stream.lane = lane;
            stream.truckShare = shares[lane - 1];
            stream.engine.seed(seq);
            stream.arrival = start;
        }
    };
    addDirection(1, m_Options.lanesPos);
    addDirection(2, m_Options.lanesNeg);
    for (LaneStream& stream : m_vLanes)
        fillLane(stream, nullptr);
}

std::vector<double> TrafficGenerator::laneTruckShares(unsigned lanes, double truckShare) {
    std::vector<double> shares(lanes, 0.0);
    std::vector<bool> full(lanes, false);
    double remaining = (truckShare > 0.0 ? std::min(truckShare, 1.0) : 0.0) * lanes;
    auto weight = [](unsigned index) {
        return index == 0 ? INSIDE_LANE_TRUCK_WEIGHT : OTHER_LANE_TRUCK_WEIGHT;
    };
    // Share out by weight; a lane that would get more than all-trucks is filled and the
    // rest shared again among the others.
    for (;;) {
        double weightSum = 0.0;
        for (unsigned i = 0; i < lanes; ++i)
            if (!full[i])
                weightSum += weight(i);
        if (weightSum <= 0.0)
            break;
        bool filledOne = false;
        for (unsigned i = 0; i < lanes && !filledOne; ++i) {
            if (!full[i] && remaining * weight(i) / weightSum >= 1.0) {
                shares[i] = 1.0;
                full[i] = true;
                remaining -= 1.0;
                filledOne = true;
            }
        }
        if (filledOne)
            continue;
        for (unsigned i = 0; i < lanes; ++i)
            if (!full[i])
                shares[i] = remaining * weight(i) / weightSum;
        break;
    }
    return shares;
}

std::unique_ptr<Vehicle> TrafficGenerator::next() {
    if (m_Made >= m_Options.maxVehicles)
        return nullptr;
    LaneStream* first = nullptr;
    for (LaneStream& stream : m_vLanes)
        if (stream.pending && (!first || stream.arrival < first->arrival))
            first = &stream;
    if (!first)
        return nullptr;

    std::unique_ptr<Vehicle> vehicle = std::move(first->pending);
    ++m_Made;
    if (first->pendingIsTruck)
        ++m_Trucks;
    vehicle->serialNo = static_cast<unsigned>(m_Made % 100000); // five digits in SAFT
    fillLane(*first, vehicle.get());
    return vehicle;
}

std::uint64_t TrafficGenerator::writeAll(FileHandler& out) {
    std::uint64_t written = 0;
    while (std::unique_ptr<Vehicle> vehicle = next()) {
        out.writeVehicle(*vehicle);
        ++written;
    }
    return written;
}

void TrafficGenerator::fillLane(LaneStream& stream, const Vehicle* previous) {
    const double meanFree = 3600.0 / m_Options.flowPerLane - MIN_HEADWAY;
    stream.arrival +=
        previous ? headway(stream, *previous) : toHundredths(exponential(stream.engine, meanFree));
    if (stream.arrival >= m_EndHundredths) {
        stream.pending.reset();
        return;
    }
    stream.pendingIsTruck = unit(stream.engine) < stream.truckShare;
    stream.pending = stream.pendingIsTruck ? makeTruck(stream) : makeCar(stream);
    // The middle of the hundredth, so that the calendar conversion truncates to it.
    stream.pending->setTime((static_cast<double>(stream.arrival) + 0.5) / 100.0);
}

std::uint64_t TrafficGenerator::headway(LaneStream& stream, const Vehicle& previous) const {
    const double meanFree = 3600.0 / m_Options.flowPerLane - MIN_HEADWAY;
    const double drawn = MIN_HEADWAY + exponential(stream.engine, meanFree);
    // A long truck needs longer than the minimum headway to clear the lane entrance.
    const double clearance = ENTRANCE_CLEARANCE_MARGIN *
                             (m_Settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE + previous.length) /
                             previous.speed;
    return toHundredths(std::max(drawn, clearance));
}

std::unique_ptr<Vehicle> TrafficGenerator::newVehicle(const LaneStream& stream) const {
    auto vehicle = std::make_unique<Vehicle>(m_Settings);
    vehicle->head = m_Options.head;
    vehicle->direction = stream.direction;
    vehicle->dirPositive = stream.direction == 1;
    vehicle->lane = static_cast<int>(stream.lane);
    vehicle->auxCode = 0;
    return vehicle;
}

std::unique_ptr<Vehicle> TrafficGenerator::makeCar(LaneStream& stream) const {
    std::unique_ptr<Vehicle> car = newVehicle(stream);
    car->length = uniform(stream.engine, {3.8, 5.0});
    const double wheelbase = uniform(stream.engine, {2.3, 3.0});
    const double gross = uniform(stream.engine, {1.0, 2.5}) * KN_PER_TONNE;
    const double front = uniform(stream.engine, {0.52, 0.60});
    setAxles(*car, {wheelbase}, {front * gross, (1.0 - front) * gross});
    // Faster lanes further out: 25-30 m/s in lane 1, 28-33 in lane 2, 31-36 beyond.
    const double slowest = 25.0 + 3.0 * std::min(stream.lane - 1, 2u);
    car->speed = uniform(stream.engine, {slowest, slowest + 5.0});
    return car;
}

std::unique_ptr<Vehicle> TrafficGenerator::makeTruck(LaneStream& stream) const {
    std::unique_ptr<Vehicle> truck = newVehicle(stream);
    const double pick = unit(stream.engine);
    double cumulative = 0.0;
    const TruckLayout* layout = &TRUCK_LAYOUTS.back();
    for (const TruckLayout& candidate : TRUCK_LAYOUTS) {
        cumulative += candidate.share;
        if (pick < cumulative) {
            layout = &candidate;
            break;
        }
    }

    truck->length = uniform(stream.engine, layout->length);
    std::vector<double> spacings(layout->axles - 1);
    for (std::size_t i = 0; i < spacings.size(); ++i)
        spacings[i] = uniform(stream.engine, layout->spacings[i]);
    const double gross = grossWeight(stream.engine, layout->gross) * KN_PER_TONNE;
    std::vector<double> weights(layout->axles);
    double shareSum = 0.0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        weights[i] = layout->weightShares[i] * uniform(stream.engine, {0.9, 1.1});
        shareSum += weights[i];
    }
    for (double& weight : weights)
        weight *= gross / shareSum;
    setAxles(*truck, spacings, weights);
    truck->speed = uniform(stream.engine, stream.lane == 1 ? Range{22.0, 24.0} : Range{23.0, 25.0});
    return truck;
}

} // namespace tarlo
