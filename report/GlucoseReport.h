// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef GLUCOSEREPORT_H
#define GLUCOSEREPORT_H

#include "GlucoseLogbook.h"
#include "GlucosePeriod.h"
#include "GlucoseProfile.h"
#include "GlucoseReading.h"
#include "GlucoseStatistics.h"
#include "GlucoseUnit.h"
#include "TreatmentStatistics.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QPageSize>
#include <QString>

#include <array>
#include <vector>

class QPainter;
class QRectF;

// The report for a clinic, as a PDF or a PNG: on the first page the
// journal's name and period, data sufficiency, the figures against their
// targets, the bands, the profile and the last 14 days as small daily
// curves; on the second the logbook of the last 14 or 28 days. The
// journal's insulin, carbohydrates, activity and HbA1c join the figures,
// the curves and the logbook.
class GlucoseReport
{
    Q_DECLARE_TR_FUNCTIONS(GlucoseReport)

public:
    static constexpr int dailyCurves = 14;
    static constexpr int pageCount = 2;
    // A period of up to this many days has a logbook of all its days; a
    // longer one of its last longLogbookDays.
    static constexpr int shortLogbookDays = 14;
    static constexpr int longLogbookDays = 28;

    GlucoseReport(const std::vector<GlucoseReading> &readings, const GlucosePeriod &period,
        GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl,
        const std::vector<TreatmentStatistics::Treatment> &treatments = {});

    // The journal's name, shown in the heading.
    void setTitle(const QString &title) { m_title = title; }
    // A4 or Letter; the default follows the paper of the user's locale.
    void setPageSize(QPageSize::PageSizeId size) { m_pageSize = size; }
    QPageSize::PageSizeId pageSize() const { return m_pageSize; }
    // Letter where it is the usual paper, A4 everywhere else.
    static QPageSize::PageSizeId pageSizeFor(const QLocale &locale);
    // The locale of LC_PAPER when it is set, else the default locale.
    static QLocale paperLocale();

    const GlucoseStatistics &statistics() const { return m_statistics; }
    const TreatmentStatistics &treatments() const { return m_treatments; }
    const GlucoseLogbook &logbook() const { return m_logbook; }

    // Paints one page, from 0, scaled to fill rect.
    void paint(QPainter *painter, const QRectF &rect, int page = 0) const;
    // A PNG when the name ends in ".png", its pages one below the other, a
    // PDF otherwise. An existing file is replaced only when the new one is
    // complete.
    bool write(const QString &path, QString *error = nullptr) const;

private:
    class Page;
    void paintFigures(Page &page) const;
    void paintLogbook(Page &page) const;
    QString title() const;

    QString m_title;
    GlucoseUnit::Unit m_unit;
    QPageSize::PageSizeId m_pageSize;
    GlucoseStatistics m_statistics;
    // The period of the same length before, for the change of each figure.
    GlucoseStatistics m_previous;
    TreatmentStatistics m_treatments;
    TreatmentStatistics m_previousTreatments;
    GlucoseProfile m_profile;
    QDate m_lastDay;
    std::array<std::vector<GlucoseReading>, dailyCurves> m_days;
    std::array<std::vector<TreatmentStatistics::Treatment>, dailyCurves> m_dayTreatments;
    GlucoseLogbook m_logbook;
};

#endif
