// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseStatistics.h"

#include "GlucoseDistribution.h"
#include "GlucoseGrid.h"
#include "GlucoseSequence.h"
#include "GlucoseUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <limits>
#include <numeric>
#include <optional>

namespace {

constexpr int bandEdges[GlucoseStatistics::bandCount + 1]
    = { 1, 54, 70, 181, 251, std::numeric_limits<int>::max() };

// R's round(): halves go to the even neighbour, so the counts match iglu's.
double roundHalfEven(double x)
{
    return std::nearbyint(x);
}

// The gaps between readings in time order, in whole seconds: those up to
// a day counted by length, the few longer ones kept. A million gaps take
// no sorting for their median.
class Gaps
{
public:
    void add(std::int64_t gap)
    {
        ++m_count;
        if (gap >= 0 && gap < std::int64_t(m_counts.size()))
            ++m_counts[std::size_t(gap)];
        else
            m_longer.push_back(gap);
    }

    // As GlucoseGrid::medianGapMinutes() finds it over the same gaps.
    double medianMinutes()
    {
        if (m_count == 0)
            return 0;
        std::sort(m_longer.begin(), m_longer.end());
        double median = double(at(m_count / 2));
        if (m_count % 2 == 0)
            median = (median + double(at(m_count / 2 - 1))) / 2;
        return median / 60;
    }

    // iglu's "% time CGM is active" over a span of readings, in seconds,
    // whose median gap is given in minutes.
    double activePercent(std::int64_t span, double medianGap) const
    {
        if (m_count == 0)
            return span < 0 ? 0 : 100;
        // Readings at one moment would make the interval 0; a minute is the least a clock shows.
        const double dt0 = std::max(roundHalfEven(medianGap), 1.0);
        const double theoretical = roundHalfEven(double(span) / 60 / dt0) + 1;
        double missing = 0;
        const auto miss = [&missing, dt0](std::int64_t seconds, double times) {
            const double gap = double(seconds) / 60;
            if (gap > dt0)
                missing += times * roundHalfEven((gap - dt0) / dt0);
        };
        for (std::size_t g = 0; g < m_counts.size(); ++g) {
            if (m_counts[g])
                miss(std::int64_t(g), m_counts[g]);
        }
        for (const std::int64_t g : m_longer)
            miss(g, 1);
        return 100 * (theoretical - missing) / theoretical;
    }

private:
    // The k-th shortest gap, from 0.
    std::int64_t at(std::size_t k) const
    {
        for (std::size_t g = 0; g < m_counts.size(); ++g) {
            if (k < m_counts[g])
                return std::int64_t(g);
            k -= m_counts[g];
        }
        return m_longer[k];
    }

    std::vector<std::uint32_t> m_counts = std::vector<std::uint32_t>(86400 + 1);
    std::vector<std::int64_t> m_longer;
    std::size_t m_count = 0;
};

// Whether every reading is usable and they stand in time order.
bool allUsableInOrder(const std::vector<GlucoseReading> &readings)
{
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (!GlucosePeriod::isUsable(readings[i])
            || (i > 0 && GlucoseSequence::earlier(readings[i], readings[i - 1])))
            return false;
    }
    return true;
}

// The first and the last of readings in time order, and the last up to
// today: they tell a period's days as all the readings would.
std::vector<GlucoseReading> endsOf(const std::vector<GlucoseReading> &inOrder)
{
    if (inOrder.empty())
        return {};
    const auto later = std::upper_bound(inOrder.begin(), inOrder.end(), QDate::currentDate(),
        [](const QDate &day, const GlucoseReading &r) { return day < r.date; });
    std::vector<GlucoseReading> ends { inOrder.front(), inOrder.back() };
    if (later != inOrder.begin())
        ends.push_back(*(later - 1));
    return ends;
}

// Sums for a mean and an SD, made into a group at the end.
struct Sums
{
    int n = 0;
    double sum = 0;
    double squares = 0;
    void add(double x)
    {
        ++n;
        sum += x;
        squares += x * x;
    }
    GlucoseStatistics::Group group() const
    {
        GlucoseStatistics::Group g;
        g.count = n;
        if (n > 0)
            g.mean = sum / n;
        if (n > 1)
            g.sd = std::sqrt(std::max(0.0, (squares - sum * sum / n) / (n - 1)));
        return g;
    }
};

} // namespace

GlucoseStatistics::GlucoseStatistics(
    const std::vector<GlucoseReading> &readings, const GlucosePeriod &period)
{
    // A journal read in time order is mostly used whole, where it stands,
    // and its ends tell the period's days: each reading is looked at once.
    const bool inTimeOrder = allUsableInOrder(readings);
    const GlucosePeriod days = period.resolved(inTimeOrder ? endsOf(readings) : readings);
    m_periodStart = days.from();
    m_periodEnd = days.to();
    std::vector<GlucoseReading> selected;
    const bool whole = inTimeOrder && !readings.empty() && days.from().isValid()
        && readings.front().date >= days.from() && readings.back().date <= days.to();
    if (!whole)
        selected = period.select(readings, &m_ignored);
    const GlucoseReading *inOrder = whole ? readings.data() : selected.data();
    const std::size_t count = whole ? readings.size() : selected.size();
    m_count = int(count);
    if (count == 0)
        return;

    // For many readings MAGE, always found on a grid of 5 minutes, is
    // worked out on another thread from here, its grid first: the figures
    // below tell the grid's step, and when it is 5 minutes, as a CGM's is,
    // they share that grid.
    std::optional<GlucoseGrid> fiveMinutes;
    std::promise<void> fiveMinutesMade;
    std::future<void> fiveMinutesThere = fiveMinutesMade.get_future();
    // Below this many readings a thread costs more than it saves.
    const bool many = count >= 50000;
    std::future<double> mage;
    if (many) {
        mage = std::async(std::launch::async, [&] {
            try {
                fiveMinutes.emplace(inOrder, count, 5);
            } catch (...) {
                fiveMinutesMade.set_exception(std::current_exception());
                throw;
            }
            fiveMinutesMade.set_value();
            return GlucoseVariability::mageOnFiveMinutes(*fiveMinutes);
        });
    }

    // Plausible values are few: they are counted, not sorted.
    std::vector<std::uint32_t> values(GlucoseReading::plausibleHighest + 1);
    Gaps gaps;
    std::array<std::size_t, bandCount> inBand {};
    std::array<Sums, GlucoseReading::typeCount> types {};
    std::array<Sums, timeOfDayCount> parts {};
    std::int64_t before = GlucoseGrid::secondsOf(inOrder[0]);
    m_days = 1;
    for (std::size_t i = 0; i < count; ++i) {
        const GlucoseReading &r = inOrder[i];
        const std::int64_t seconds = GlucoseGrid::secondsOf(r);
        if (i > 0) {
            gaps.add(seconds - before);
            m_days += r.date != inOrder[i - 1].date;
        }
        before = seconds;
        ++values[std::size_t(r.value)];
        ++inBand[bandOf(r.value)];
        types[r.type].add(r.value);
        parts[timeOfDayOf(r.time)].add(r.value);
    }
    for (int t = 0; t < GlucoseReading::typeCount; ++t)
        m_byType[std::size_t(t)] = types[std::size_t(t)].group();
    for (int p = 0; p < timeOfDayCount; ++p)
        m_byTimeOfDay[std::size_t(p)] = parts[std::size_t(p)].group();
    m_below54 = int(inBand[VeryLow]);
    m_below70 = int(inBand[VeryLow] + inBand[Low]);
    m_above250 = int(inBand[VeryHigh]);

    m_firstDay = inOrder[0].date;
    m_lastDay = inOrder[count - 1].date;
    m_medianGap = gaps.medianMinutes();
    m_active = gaps.activePercent(
        GlucoseGrid::secondsOf(inOrder[count - 1]) - GlucoseGrid::secondsOf(inOrder[0]),
        m_medianGap);
    for (int b = 0; b < bandCount; ++b)
        m_bands[b] = 100.0 * double(inBand[b]) / double(count);

    const GlucoseDistribution distribution(0, std::move(values));
    m_mean = distribution.mean();
    m_sd = distribution.sd();
    m_cv = 100 * m_sd / m_mean;
    m_gmiPercent = 3.31 + 0.02392 * m_mean;
    m_gmiMmolPerMol = 12.71 + 4.70587 * m_mean / GlucoseUnit::mgPerDlPerMmol;
    m_gri = std::min(100.0,
        3.0 * m_bands[VeryLow] + 2.4 * m_bands[Low] + 1.6 * m_bands[VeryHigh]
            + 0.8 * m_bands[High]);
    const double ps[] = { 0, 0.25, 0.5, 0.75, 1 };
    for (int i = 0; i < 5; ++i)
        m_quantiles[i] = distribution.quantile(ps[i]);

    // The grid's step is the median gap, rounded, as the grid would find it.
    // For many readings the episodes are found on another thread, beside
    // the variability.
    const int step = int(std::clamp(std::nearbyint(m_medianGap), 1.0, 1440.0));
    std::optional<GlucoseGrid> ownGrid;
    if (mage.valid() && step == 5)
        fiveMinutesThere.get();
    else
        ownGrid.emplace(inOrder, count, step);
    const GlucoseGrid &grid = ownGrid ? *ownGrid : *fiveMinutes;
    std::future<GlucoseEpisodes> episodes;
    if (many)
        episodes = std::async(std::launch::async, [&grid] { return GlucoseEpisodes(grid); });
    if (mage.valid()) {
        // Readings further apart than MAGE's stretches can bridge have none.
        m_variability = GlucoseVariability(inOrder, count, grid, [&mage, step] {
            const double found = mage.get();
            return step < 180 ? found : std::numeric_limits<double>::quiet_NaN();
        });
    } else {
        m_variability = GlucoseVariability(inOrder, count, grid);
    }
    m_episodes = episodes.valid() ? episodes.get() : GlucoseEpisodes(grid);
}

GlucoseStatistics::TimeOfDay GlucoseStatistics::timeOfDayOf(const QTime &time)
{
    return TimeOfDay(std::clamp(time.hour() / 6, 0, timeOfDayCount - 1));
}

double GlucoseStatistics::readingsPerDay() const
{
    if (!m_periodStart.isValid())
        return 0;
    return double(m_count) / double(m_periodStart.daysTo(m_periodEnd) + 1);
}

bool GlucoseStatistics::isSufficient() const
{
    return m_days >= sufficientDays && m_active >= sufficientActivePercent;
}

std::array<int, GlucoseStatistics::bandCount> GlucoseStatistics::roundedBandPercents() const
{
    std::array<int, bandCount> rounded {};
    if (m_count == 0)
        return rounded;
    std::array<int, bandCount> order;
    int total = 0;
    for (int b = 0; b < bandCount; ++b) {
        rounded[b] = int(std::floor(m_bands[b]));
        total += rounded[b];
        order[b] = b;
    }
    // The slices with the largest remainders take the missing points.
    std::stable_sort(order.begin(), order.end(), [this, &rounded](int a, int b) {
        return m_bands[a] - rounded[a] > m_bands[b] - rounded[b];
    });
    for (int i = 0; total < 100 && i < bandCount; ++i, ++total)
        ++rounded[order[i]];
    return rounded;
}

GlucoseStatistics::Band GlucoseStatistics::bandOf(int value)
{
    if (value < 54)
        return VeryLow;
    if (value < 70)
        return Low;
    if (value <= 180)
        return InRange;
    if (value <= 250)
        return High;
    return VeryHigh;
}

int GlucoseStatistics::bandLowest(Band band)
{
    return bandEdges[band];
}

int GlucoseStatistics::bandHighest(Band band)
{
    return band == VeryHigh ? bandEdges[VeryHigh + 1] : bandEdges[band + 1] - 1;
}

double GlucoseStatistics::targetValue(Target target) const
{
    switch (target) {
    case VeryLowTarget:
        return m_bands[VeryLow];
    case BelowRangeTarget:
        return m_bands[VeryLow] + m_bands[Low];
    case InRangeTarget:
        return m_bands[InRange];
    case AboveRangeTarget:
        return m_bands[High] + m_bands[VeryHigh];
    case VeryHighTarget:
        return m_bands[VeryHigh];
    case VariabilityTarget:
        return m_cv;
    }
    return nan;
}

double GlucoseStatistics::targetLimit(Target target)
{
    switch (target) {
    case VeryLowTarget:
        return 1;
    case BelowRangeTarget:
        return 4;
    case InRangeTarget:
        return 70;
    case AboveRangeTarget:
        return 25;
    case VeryHighTarget:
        return 5;
    case VariabilityTarget:
        return 36;
    }
    return nan;
}

bool GlucoseStatistics::targetIsMaximum(Target target)
{
    return target != InRangeTarget;
}

bool GlucoseStatistics::targetMet(Target target) const
{
    if (m_count == 0)
        return false;
    const double value = targetValue(target);
    const double limit = targetLimit(target);
    if (std::isnan(value))
        return false;
    if (target == VariabilityTarget)
        return value <= limit;
    return targetIsMaximum(target) ? value < limit : value > limit;
}
