// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseVariability.h"

#include "GlucoseDistribution.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>

namespace {

constexpr double noValue = std::numeric_limits<double>::quiet_NaN();

// A mean, one value at a time.
struct Moments
{
    double n = 0;
    double mean = 0;
    void add(double x)
    {
        ++n;
        mean += (x - mean) / n;
    }
};

// Kovatchev's symmetrised glucose, as iglu scales it for its risk indices.
double riskOf(double mgPerDl)
{
    const double f = std::pow(std::log(mgPerDl), 1.084) - 5.381;
    return 22.77 * f * f * (f < 0 ? -1 : 1);
}

// The risk of a whole mg/dL value: readings are whole numbers, and a
// million of them share a few hundred values, each worked out once.
double riskOf(int mgPerDl)
{
    static const std::array<double, 1024> known = [] {
        std::array<double, 1024> risks {};
        for (std::size_t v = 1; v < risks.size(); ++v)
            risks[v] = riskOf(double(v));
        return risks;
    }();
    return mgPerDl > 0 && std::size_t(mgPerDl) < known.size() ? known[std::size_t(mgPerDl)]
                                                              : riskOf(double(mgPerDl));
}

// The mean of the values present in a trailing window of width points,
// moved a point at a time from the first: NaN where the window holds none.
class MovingMean
{
public:
    MovingMean(const double *x, std::size_t width)
        : x(x)
        , width(width)
    { }

    // The window ending at point i, for i = 0, 1, 2 … in turn.
    double next(std::size_t i)
    {
        if (!std::isnan(x[i])) {
            sum += x[i];
            ++present;
        }
        if (i >= width && !std::isnan(x[i - width])) {
            sum -= x[i - width];
            if (--present == 0)
                sum = 0;
        }
        return present > 0 ? sum / double(present) : noValue;
    }

    // The first full window's mean, which the points before it take too.
    static double first(const double *x, std::size_t width)
    {
        MovingMean mean(x, width);
        double m = noValue;
        for (std::size_t i = 0; i < width; ++i)
            m = mean.next(i);
        return m;
    }

private:
    const double *x;
    std::size_t width;
    double sum = 0;
    std::size_t present = 0;
};

// The sample SD of value(i) for i from first to before last, those that
// are NaN left out: their mean, then the squares about it. NaN under two.
template <typename Value>
double sdOf(std::size_t first, std::size_t last, Value value)
{
    double sum = 0;
    double present = 0;
    for (std::size_t i = first; i < last; ++i) {
        const double v = value(i);
        if (!std::isnan(v)) {
            sum += v;
            ++present;
        }
    }
    const double mean = sum / present;
    double squares = 0;
    for (std::size_t i = first; i < last; ++i) {
        const double v = value(i);
        if (!std::isnan(v))
            squares += (v - mean) * (v - mean);
    }
    return present > 1 ? std::sqrt(squares / (present - 1)) : noValue;
}

// MAGE of one stretch without long gaps, its shorter gaps left empty: the
// extremes between crossings of the short and the long moving average,
// then the rises and falls between turns that exceed the SD of the values.
// Filling the gaps instead would invent turns inside them and shrink the
// SD. Returns (MAGE+ + MAGE-) / 2, NaN without one.
double mageOfStretch(const double *x, std::size_t n)
{
    constexpr std::size_t shortWidth = 5;
    constexpr std::size_t longWidth = 32;
    if (n < longWidth)
        return noValue;
    MovingMean fast(x, shortWidth);
    MovingMean slow(x, longWidth);
    const double fastHead = MovingMean::first(x, shortWidth);
    const double slowHead = MovingMean::first(x, longWidth);

    // Crossings: where the sign of fast - slow changes, equal averages and
    // windows without values taking none. After a gap both windows hold the
    // same few values for a while: their averages are equal, but running
    // sums round them apart by far less than any real difference.
    constexpr double equal = 1e-9;
    struct Cross
    {
        std::size_t at;
        bool above;
    };
    std::vector<Cross> crosses;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = fast.next(i);
        const double s = slow.next(i);
        const double d = (i + 1 < shortWidth ? fastHead : f) - (i + 1 < longWidth ? slowHead : s);
        if (std::isnan(d) || std::abs(d) <= equal)
            continue;
        const bool above = d > 0;
        if (crosses.empty())
            crosses.push_back({ 0, above });
        else if (above != crosses.back().above)
            crosses.push_back({ i, above });
    }
    if (crosses.empty())
        return noValue;

    // One extreme between each crossing and the next, searched from the
    // last extreme found: a peak while fast is above, a nadir below.
    std::vector<double> turns;
    std::size_t from = 0;
    for (std::size_t c = 0; c < crosses.size(); ++c) {
        const std::size_t to = c + 1 < crosses.size() ? crosses[c + 1].at : n - 1;
        std::size_t best = n;
        for (std::size_t i = from; i <= to; ++i) {
            if (!std::isnan(x[i])
                && (best == n || (crosses[c].above ? x[i] > x[best] : x[i] < x[best])))
                best = i;
        }
        if (best == n)
            continue;
        turns.push_back(x[best]);
        from = best;
    }
    if (turns.empty())
        return noValue;

    // The turns that count: the highest peak or lowest nadir before the
    // curve moves back by more than one SD.
    const double sd = sdOf(0, n, [x](std::size_t i) { return x[i]; });
    std::size_t i = 1;
    double low = turns[0];
    double high = turns[0];
    int direction = 0;
    double extreme = 0;
    std::vector<double> kept;
    for (; i < turns.size() && direction == 0; ++i) {
        const double v = turns[i];
        if (v - low > sd) {
            direction = 1;
            kept.push_back(low);
            extreme = v;
        } else if (high - v > sd) {
            direction = -1;
            kept.push_back(high);
            extreme = v;
        }
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (direction == 0)
        return noValue;
    for (; i < turns.size(); ++i) {
        const double v = turns[i];
        if (direction > 0 ? v > extreme : v < extreme) {
            extreme = v;
        } else if (std::abs(v - extreme) > sd) {
            kept.push_back(extreme);
            direction = -direction;
            extreme = v;
        }
    }
    kept.push_back(extreme);

    Moments rises;
    Moments falls;
    for (std::size_t k = 1; k < kept.size(); ++k) {
        const double change = kept[k] - kept[k - 1];
        if (change > sd)
            rises.add(change);
        else if (-change > sd)
            falls.add(-change);
    }
    if (rises.n == 0 && falls.n == 0)
        return noValue;
    if (rises.n == 0)
        return falls.mean;
    if (falls.n == 0)
        return rises.mean;
    return (rises.mean + falls.mean) / 2;
}

// MAGE over the whole grid: stretches split where more than 3 hours are
// empty, each weighted by its length.
double mageOf(const GlucoseGrid &grid)
{
    const std::vector<double> &g = grid.values();
    const std::size_t longestGap = std::size_t(180 / std::max(1, grid.step()));
    double weighted = 0;
    double weights = 0;
    std::size_t i = 0;
    while (i < g.size()) {
        while (i < g.size() && std::isnan(g[i]))
            ++i;
        if (i == g.size())
            break;
        std::size_t last = i;
        for (std::size_t k = i + 1; k < g.size() && k - last - 1 <= longestGap; ++k) {
            if (!std::isnan(g[k]))
                last = k;
        }
        const std::size_t length = last - i + 1;
        const double m = mageOfStretch(g.data() + i, length);
        if (!std::isnan(m)) {
            weighted += m * double(length - 1);
            weights += double(length - 1);
        }
        i = last + 1;
    }
    return weights > 0 ? weighted / weights : noValue;
}

} // namespace

double GlucoseVariability::conga(const GlucoseGrid &grid, double hours)
{
    if (grid.step() <= 0)
        return noValue;
    const auto lag = std::size_t(std::max(1.0, std::nearbyint(hours * 60 / grid.step())));
    const std::vector<double> &g = grid.values();
    return sdOf(lag, g.size(), [&g, lag](std::size_t i) { return g[i] - g[i - lag]; });
}

GlucoseVariability::GlucoseVariability(
    const std::vector<GlucoseReading> &inOrder, const GlucoseGrid &grid)
    : GlucoseVariability(inOrder.data(), inOrder.size(), grid)
{ }

double GlucoseVariability::mageOnFiveMinutes(const GlucoseGrid &fiveMinutes)
{
    return mageOf(fiveMinutes);
}

GlucoseVariability::GlucoseVariability(
    const GlucoseReading *inOrder, std::size_t count, const GlucoseGrid &grid)
{
    // MAGE always on a grid of 5 minutes; readings further apart than its
    // stretches can bridge have none. For many readings it is worked out
    // on another thread beside the rest.
    const auto mageOfReadings = [inOrder, count, &grid] {
        if (grid.step() == 5)
            return mageOf(grid);
        return grid.step() < 180 ? mageOf(GlucoseGrid(inOrder, count, 5)) : nan;
    };
    std::future<double> mage;
    if (count >= 50000)
        mage = std::async(std::launch::async, mageOfReadings);
    *this = GlucoseVariability(inOrder, count, grid,
        [&mage, &mageOfReadings] { return mage.valid() ? mage.get() : mageOfReadings(); });
}

GlucoseVariability::GlucoseVariability(const GlucoseReading *inOrder, std::size_t count,
    const GlucoseGrid &grid, const std::function<double()> &findMage)
{
    if (count == 0)
        return;

    // On the readings: risk, J-index, COGI.
    // Whole values, counted for their mean and SD.
    std::vector<std::uint32_t> values(GlucoseReading::plausibleHighest + 1);
    double low = 0;
    double high = 0;
    double inRange = 0;
    double below = 0;
    double dailyRisk = 0;
    int days = 0;
    double dayLow = 0;
    double dayHigh = 0;
    QDate day;
    for (const GlucoseReading *r = inOrder; r != inOrder + count; ++r) {
        ++values[std::size_t(std::clamp(r->value, 0, GlucoseReading::plausibleHighest))];
        const double risk = riskOf(r->value);
        (risk < 0 ? low : high) += std::abs(risk);
        inRange += r->value >= 70 && r->value <= 180;
        below += r->value < 70;
        if (r->date != day) {
            dailyRisk += dayLow + dayHigh;
            days += day.isValid();
            day = r->date;
            dayLow = dayHigh = 0;
        }
        (risk < 0 ? dayLow : dayHigh) = std::max(risk < 0 ? dayLow : dayHigh, std::abs(risk));
    }
    dailyRisk += dayLow + dayHigh;
    ++days;
    const GlucoseDistribution all(0, std::move(values));
    const double n = double(count);
    const double mean = all.mean();
    const double sd = all.sd();
    m_lbgi = low / n;
    m_hbgi = high / n;
    m_adrr = dailyRisk / days;
    m_jIndex = 0.001 * (mean + sd) * (mean + sd);
    // COGI: time in range, time below and SD, each scaled to 0-100 and weighed.
    const auto scaled = [](double x, double lowest, double highest) {
        return std::clamp((x - lowest) / (highest - lowest), 0.0, 1.0);
    };
    m_cogi = 100
        * (0.5 * scaled(100 * inRange / n, 0, 100) + 0.35 * (1 - scaled(100 * below / n, 0, 15))
            + 0.15 * (1 - scaled(sd, 18, 108)));

    // On the grid: MODD, CONGA, GVP, MAG and MAGE.
    const std::vector<double> &g = grid.values();
    if (g.empty())
        return;
    const double step = grid.step();
    double dayToDay = 0;
    double pairs = 0;
    const auto lag = std::size_t(grid.pointsPerDay());
    for (std::size_t i = lag; i < g.size(); ++i) {
        const double d = std::abs(g[i] - g[i - lag]);
        if (!std::isnan(d)) {
            dayToDay += d;
            ++pairs;
        }
    }
    m_modd = pairs > 0 ? dayToDay / pairs : nan;
    m_conga = conga(grid, 24);

    double length = 0;
    double steps = 0;
    for (std::size_t i = 1; i < g.size(); ++i) {
        if (std::isnan(g[i]) || std::isnan(g[i - 1]))
            continue;
        const double d = g[i] - g[i - 1];
        length += std::sqrt(step * step + d * d);
        ++steps;
    }
    m_gvp = steps > 0 ? (length / (steps * step) - 1) * 100 : nan;

    // MAG: the change per hour between points an hour apart.
    const auto stride = std::size_t(std::max(1.0, std::nearbyint(60 / step)));
    const double hours = double(stride) * step / 60;
    double change = 0;
    double counted = 0;
    for (std::size_t i = 0; i < g.size(); i += stride) {
        if (std::isnan(g[i]))
            continue;
        ++counted;
        if (i >= stride && !std::isnan(g[i - stride]))
            change += std::abs(g[i] - g[i - stride]);
    }
    m_mag = counted > 0 ? change / (counted * hours) : nan;

    m_mage = findMage();
}
