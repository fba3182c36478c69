// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "GlucoseLogbook.h"

#include "GlucosePeriod.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// The hours the slots begin at, when a reading's type does not name one.
constexpr int startHours[GlucoseLogbook::slotCount] = { 0, 6, 9, 11, 13, 17, 19, 22 };

} // namespace

GlucoseLogbook::GlucoseLogbook(
    const std::vector<GlucoseReading> &readings, const QDate &first, const QDate &last)
{
    if (!first.isValid() || !last.isValid() || first > last)
        return;
    m_days.resize(std::size_t(first.daysTo(last) + 1));
    for (std::size_t d = 0; d < m_days.size(); ++d)
        m_days[d].date = first.addDays(qint64(d));
    for (const GlucoseReading &r : GlucosePeriod::between(first, last).select(readings)) {
        Cell &cell = m_days[std::size_t(first.daysTo(r.date))].cells[slotOf(r)];
        if (cell.count < listedReadings)
            cell.first[std::size_t(cell.count)] = r.value;
        cell.lowest = cell.count == 0 ? r.value : std::min(cell.lowest, r.value);
        cell.highest = cell.count == 0 ? r.value : std::max(cell.highest, r.value);
        ++cell.count;
    }
}

GlucoseLogbook::Cell *GlucoseLogbook::cellAt(const QDate &date, const QTime &time)
{
    const int row = rowOf(date);
    if (row < 0 || !time.isValid())
        return nullptr;
    return &m_days[std::size_t(row)].cells[slotOfTime(time)];
}

void GlucoseLogbook::addInsulin(const QDate &date, const QTime &time, double units, bool basal)
{
    if (Cell *cell = cellAt(date, time)) {
        (basal ? cell->basal : cell->bolus) += units;
        ++cell->doses;
    }
}

void GlucoseLogbook::addCarbs(const QDate &date, const QTime &time, double grams)
{
    if (Cell *cell = cellAt(date, time)) {
        cell->carbs += grams;
        ++cell->meals;
    }
}

void GlucoseLogbook::addTreatments(const std::vector<TreatmentStatistics::Treatment> &treatments)
{
    using Treatment = TreatmentStatistics::Treatment;
    for (const Treatment &t : treatments) {
        if (t.kind == Treatment::Bolus || t.kind == Treatment::Basal)
            addInsulin(t.date, t.time, t.amount, t.kind == Treatment::Basal);
        else if (t.kind == Treatment::Carbs)
            addCarbs(t.date, t.time, t.amount);
    }
}

int GlucoseLogbook::rowOf(const QDate &date) const
{
    if (m_days.empty() || !date.isValid())
        return -1;
    const qint64 row = m_days.front().date.daysTo(date);
    return row >= 0 && row < qint64(m_days.size()) ? int(row) : -1;
}

GlucoseLogbook::Slot GlucoseLogbook::slotOf(const GlucoseReading &reading)
{
    switch (reading.type) {
    case GlucoseReading::PreBreakfast:
        return PreBreakfast;
    case GlucoseReading::PostBreakfast:
        return PostBreakfast;
    case GlucoseReading::PreLunch:
        return PreLunch;
    case GlucoseReading::PostLunch:
        return PostLunch;
    case GlucoseReading::PreDinner:
        return PreDinner;
    case GlucoseReading::PostDinner:
        return PostDinner;
    case GlucoseReading::Bedtime:
        return Bedtime;
    case GlucoseReading::Night:
        return Night;
    case GlucoseReading::Unspecified:
    case GlucoseReading::Snack:
    case GlucoseReading::Sensor:
        break;
    }
    return slotOfTime(reading.time);
}

GlucoseLogbook::Slot GlucoseLogbook::slotOfTime(const QTime &time)
{
    const int hour = time.isValid() ? time.hour() : 0;
    const auto after = std::upper_bound(std::begin(startHours), std::end(startHours), hour);
    return Slot(after - std::begin(startHours) - 1);
}

int GlucoseLogbook::startHour(Slot slot)
{
    return startHours[slot];
}

QString GlucoseLogbook::mealName(Slot slot)
{
    switch (slot) {
    case Night:
        return QStringLiteral("Night");
    case PreBreakfast:
    case PostBreakfast:
        return QStringLiteral("Breakfast");
    case PreLunch:
    case PostLunch:
        return QStringLiteral("Lunch");
    case PreDinner:
    case PostDinner:
        return QStringLiteral("Dinner");
    case Bedtime:
        break;
    }
    return QStringLiteral("Bedtime");
}

QString GlucoseLogbook::mealSide(Slot slot)
{
    switch (slot) {
    case PreBreakfast:
    case PreLunch:
    case PreDinner:
        return QStringLiteral("before");
    case PostBreakfast:
    case PostLunch:
    case PostDinner:
        return QStringLiteral("after");
    case Night:
    case Bedtime:
        break;
    }
    return QString();
}

std::vector<GlucoseLogbook::Piece> GlucoseLogbook::readingPieces(
    const Cell &cell, GlucoseUnit::Unit unit)
{
    std::vector<Piece> pieces;
    const auto reading = [&](int mgPerDl) {
        pieces.push_back({ GlucoseUnit::format(mgPerDl, unit), mgPerDl });
    };
    if (cell.count > listedReadings) {
        reading(cell.lowest);
        pieces.push_back({ QStringLiteral("\u2009–\u2009"), 0 });
        reading(cell.highest);
        return pieces;
    }
    for (int i = 0; i < cell.count; ++i) {
        if (i > 0)
            pieces.push_back({ QStringLiteral(" "), 0 });
        reading(cell.first[std::size_t(i)]);
    }
    return pieces;
}

QString GlucoseLogbook::readingsText(const Cell &cell, GlucoseUnit::Unit unit)
{
    QString text;
    for (const Piece &piece : readingPieces(cell, unit))
        text += piece.text;
    return text;
}

QString GlucoseLogbook::amount(double value)
{
    return QLocale().toString(std::round(value * 10) / 10, 'f', QLocale::FloatingPointShortest);
}

QString GlucoseLogbook::insulinText(const Cell &cell)
{
    QStringList doses;
    // A dose of 0 units is still a dose written down.
    if (cell.bolus > 0 || (cell.doses > 0 && cell.basal <= 0))
        doses << amount(cell.bolus) + QStringLiteral(" u");
    if (cell.basal > 0)
        doses << amount(cell.basal) + QStringLiteral(" u basal");
    return doses.join(QStringLiteral(", "));
}

QString GlucoseLogbook::carbsText(const Cell &cell)
{
    return cell.meals > 0 ? amount(cell.carbs) + QStringLiteral(" g") : QString();
}

QString GlucoseLogbook::treatmentsText(const Cell &cell)
{
    const QString insulin = insulinText(cell);
    const QString carbs = carbsText(cell);
    if (insulin.isEmpty() || carbs.isEmpty())
        return insulin + carbs;
    return insulin + treatmentsSeparator() + carbs;
}
