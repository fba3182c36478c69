// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GlucoseChart.h"
#include "GlucoseReport.h"
#include "Translation.h"
#include "imagetest.h"

#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using imagetest::hasColour;

namespace {

// Three weeks of readings every 5 minutes: in range by night, high by day,
// low in the evening, never very high.
std::vector<GlucoseReading> weeks()
{
    std::vector<GlucoseReading> readings;
    const QDateTime start(QDate(2024, 2, 1), QTime(0, 0));
    for (int i = 0; i < 21 * 288; ++i) {
        const QDateTime at = start.addSecs(qint64(i) * 300);
        const int hour = at.time().hour();
        readings.push_back(
            { at.date(), at.time(), (hour < 8 ? 110 : hour < 20 ? 210 : 60) + i % 40 });
    }
    return readings;
}

using Treatment = TreatmentStatistics::Treatment;

// A bolus and carbohydrates each breakfast, basal each night from first
// for days, an HbA1c some weeks before and an hour's walk on the first day.
std::vector<Treatment> treatments(const QDate &first, int days)
{
    std::vector<Treatment> all { { first.addDays(-20), QTime(9, 0), Treatment::HbA1c, 6.9 },
        { first, QTime(17, 0), Treatment::Activity, 60 } };
    for (int d = 0; d < days; ++d) {
        all.push_back({ first.addDays(d), QTime(7, 30), Treatment::Bolus, 6 });
        all.push_back({ first.addDays(d), QTime(7, 40), Treatment::Carbs, 50 });
        all.push_back({ first.addDays(d), QTime(22, 0), Treatment::Basal, 18 });
    }
    return all;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TstGlucoseReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pdfPages_data();
    void pdfPages();
    void png();
    void meterAndSensorPages_data();
    void meterAndSensorPages();
    void recordsOnEveryPage_data();
    void recordsOnEveryPage();
    void unwritablePlace();
    void pageSizeFor_data();
    void pageSizeFor();
    void logbookHeading_data();
    void logbookHeading();

private:
    QTemporaryDir dir;
};

void TstGlucoseReport::initTestCase()
{
    QVERIFY(Translation::install());
}

void TstGlucoseReport::pdfPages_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("mediaBox");
    QTest::newRow("A4") << int(QPageSize::A4) << "0 0 595 842";
    QTest::newRow("Letter") << int(QPageSize::Letter) << "0 0 612 792";
}

void TstGlucoseReport::pdfPages()
{
    QFETCH(int, size);
    QFETCH(QString, mediaBox);
    GlucoseReport report(weeks(), GlucosePeriod::lastDays(14), GlucoseUnit::MmolPerL);
    report.setTitle(QStringLiteral("journal.txt"));
    report.setPageSize(QPageSize::PageSizeId(size));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(report.write(path, &error), qPrintable(error));
    const QString pdf = QString::fromLatin1(contents(path));
    QVERIFY(pdf.startsWith(QLatin1String("%PDF-")));
    QVERIFY(pdf.trimmed().endsWith(QLatin1String("%%EOF")));
    QCOMPARE(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
        GlucoseReport::pageCount);
    const QRegularExpressionMatch box
        = QRegularExpression(QStringLiteral("/MediaBox \\[([0-9. ]+)\\]")).match(pdf);
    QVERIFY(box.hasMatch());
    QStringList numbers;
    for (const QString &n : box.captured(1).split(QLatin1Char(' ')))
        numbers << QString::number(qRound(n.toDouble()));
    QCOMPARE(numbers.join(QLatin1Char(' ')), mediaBox);
}

void TstGlucoseReport::png()
{
    GlucoseReport report(weeks(), GlucosePeriod::lastDays(14));
    report.setPageSize(QPageSize::A4);
    // The suffix decides, whatever its case.
    const QString path = dir.filePath(QStringLiteral("report.PNG"));
    QString error;
    QVERIFY2(report.write(path, &error), qPrintable(error));
    QVERIFY(contents(path).startsWith("\x89PNG\r\n"));
    const QImage image(path);
    // A4 at 150 dpi, the pages one below the other.
    QCOMPARE(image.size(), QSize(1240, 1754 * GlucoseReport::pageCount));
    // Every band the readings fall in is on the page in its colour, the others not.
    const auto has = [&image](const QColor &colour) {
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    QVERIFY(has(GlucoseChart::bandColour(GlucoseStatistics::InRange)));
    QVERIFY(has(GlucoseChart::bandColour(GlucoseStatistics::High)));
    QVERIFY(has(GlucoseChart::bandColour(GlucoseStatistics::Low)));
    QVERIFY(!has(GlucoseChart::bandColour(GlucoseStatistics::VeryHigh)));
    QVERIFY(has(QColor(100, 151, 177))); // the profile's 25-75 band
}

void TstGlucoseReport::meterAndSensorPages_data()
{
    QTest::addColumn<bool>("meter");
    QTest::newRow("sensor") << false;
    QTest::newRow("meter") << true;
}

void TstGlucoseReport::meterAndSensorPages()
{
    QFETCH(bool, meter);
    // A meter's four readings a day, one in each range below very high,
    // or the sensor's three weeks; one reading above the old top of the scale.
    std::vector<GlucoseReading> readings;
    if (meter) {
        const std::pair<int, int> hourAndValue[]
            = { { 7, 50 }, { 12, 65 }, { 18, 120 }, { 22, 220 } };
        for (int d = 0; d < 28; ++d)
            for (const auto &[hour, value] : hourAndValue)
                readings.push_back({ QDate(2024, 2, 1).addDays(d), QTime(hour, 0), value,
                    hour == 7 ? GlucoseReading::PreBreakfast : GlucoseReading::Unspecified });
    } else {
        readings = weeks();
    }
    readings.push_back({ QDate(2024, 2, 21), QTime(23, 55), 390 });
    GlucoseReport report(readings, GlucosePeriod::lastDays(14), GlucoseUnit::MgPerDl,
        treatments(QDate(2024, 2, 1), 28));
    report.setPageSize(QPageSize::A4);
    // Kept under the build folder, to be looked at: the file, and each page.
    const QString path = QStringLiteral("report-%1.png").arg(meter ? "meter" : "sensor");
    QString error;
    QVERIFY2(report.write(path, &error), qPrintable(error));
    QVERIFY2(report.write(QString(path).replace(".png", ".pdf"), &error), qPrintable(error));
    const QImage whole(path);
    const int height = whole.height() / GlucoseReport::pageCount;
    std::vector<QImage> pages;
    for (int p = 0; p < GlucoseReport::pageCount; ++p) {
        pages.push_back(whole.copy(0, p * height, whole.width(), height));
        QVERIFY(pages.back().save(QString(path).replace(".png", "-page%1.png").arg(p + 1)));
    }

    // The rows of a page that hold a colour, and how many runs of them.
    const auto rowsWith
        = [](const QImage &image, const QColor &colour, int fromRow, int *runs = nullptr) {
              int rows = 0;
              bool before = false;
              for (int y = fromRow; y < image.height(); ++y) {
                  bool found = false;
                  for (int x = 0; x < image.width() && !found; ++x)
                      found = image.pixelColor(x, y) == colour;
                  rows += found;
                  if (runs && found && !before)
                      ++*runs;
                  before = found;
              }
              return rows;
          };
    // No profile bands for a meter's few readings.
    QCOMPARE(rowsWith(pages[0], QColor(100, 151, 177), 0) > 0, !meter);
    // The daily curves' second row, drawn on their target band, ends on the page.
    QVERIFY(rowsWith(pages[0], QColor(232, 245, 233), height * 3 / 4) > 20);
    QVERIFY(rowsWith(pages[0], QColor(232, 245, 233), height - 60) == 0);

    // The logbook: a row a day, each with readings in range.
    int days = 0;
    rowsWith(pages[1], GlucoseChart::bandColour(GlucoseStatistics::InRange), 0, &days);
    QCOMPARE(days, 14);
    if (meter) {
        // Each reading in the column of its slot, from morning to bedtime.
        const auto meanX = [&pages](GlucoseStatistics::Band band) {
            const QColor colour = GlucoseChart::bandColour(band);
            double sum = 0;
            int n = 0;
            for (int y = 0; y < pages[1].height(); ++y)
                for (int x = 0; x < pages[1].width(); ++x)
                    if (pages[1].pixelColor(x, y) == colour) {
                        sum += x;
                        ++n;
                    }
            return n ? sum / n : -1.0;
        };
        QVERIFY(meanX(GlucoseStatistics::VeryLow) > 0);
        QVERIFY(meanX(GlucoseStatistics::VeryLow) < meanX(GlucoseStatistics::Low));
        QVERIFY(meanX(GlucoseStatistics::Low) < meanX(GlucoseStatistics::InRange));
        QVERIFY(meanX(GlucoseStatistics::InRange) < meanX(GlucoseStatistics::High));
    }
}

void TstGlucoseReport::recordsOnEveryPage_data()
{
    QTest::addColumn<bool>("records");
    QTest::newRow("with the journal's records") << true;
    QTest::newRow("readings alone") << false;
}

void TstGlucoseReport::recordsOnEveryPage()
{
    QFETCH(bool, records);
    const GlucoseReport report(weeks(), GlucosePeriod::lastDays(14), GlucoseUnit::MgPerDl,
        records ? treatments(QDate(2024, 2, 1), 21) : std::vector<Treatment>());
    QLocale::setDefault(QLocale::c());
    QCOMPARE(report.treatments().insulinPerDay(), records ? 24.0 : std::nan(""));

    // The logbook: the dose and the meal in the breakfast cell, basal at bedtime.
    const GlucoseLogbook &book = report.logbook();
    QCOMPARE(int(book.days().size()), 14);
    const GlucoseLogbook::Day &last = book.days().back();
    QCOMPARE(last.date, QDate(2024, 2, 21));
    const auto cell = [&last](GlucoseLogbook::Slot slot) { return last.cells[slot]; };
    QCOMPARE(GlucoseLogbook::insulinText(cell(GlucoseLogbook::PreBreakfast)),
        records ? QStringLiteral("6 u") : QString());
    QCOMPARE(GlucoseLogbook::carbsText(cell(GlucoseLogbook::PreBreakfast)),
        records ? QStringLiteral("50 g") : QString());
    QCOMPARE(GlucoseLogbook::insulinText(cell(GlucoseLogbook::Bedtime)),
        records ? QStringLiteral("18 u basal") : QString());

    // On the pages: the doses in the logbook and on the daily curves.
    const QString path = dir.filePath(QStringLiteral("records.png"));
    QVERIFY(report.write(path));
    const QImage whole(path);
    const int height = whole.height() / GlucoseReport::pageCount;
    const QColor insulin = GlucoseChart::insulinColour();
    const QColor carbs = GlucoseChart::carbsColour();
    QCOMPARE(hasColour(whole, insulin, height * 2 / 3, height), records);
    QCOMPARE(hasColour(whole, carbs, height * 2 / 3, height), records);
    QCOMPARE(hasColour(whole, insulin, height), records);
    QCOMPARE(hasColour(whole, carbs, height), records);
}

void TstGlucoseReport::unwritablePlace()
{
    const GlucoseReport report(weeks(), GlucosePeriod::all());
    const QString path = dir.filePath(QStringLiteral("missing/folder/report.pdf"));
    QString error;
    QVERIFY(!report.write(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY(!QFile::exists(path));
}

void TstGlucoseReport::pageSizeFor_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("size");
    QTest::newRow("United States") << "en_US" << int(QPageSize::Letter);
    QTest::newRow("Canada, French") << "fr_CA" << int(QPageSize::Letter);
    QTest::newRow("Mexico") << "es_MX" << int(QPageSize::Letter);
    QTest::newRow("United Kingdom") << "en_GB" << int(QPageSize::A4);
    QTest::newRow("Germany") << "de_DE" << int(QPageSize::A4);
    QTest::newRow("C") << "C" << int(QPageSize::A4);
}

void TstGlucoseReport::pageSizeFor()
{
    QFETCH(QString, locale);
    QFETCH(int, size);
    QCOMPARE(int(GlucoseReport::pageSizeFor(QLocale(locale))), size);
}

void TstGlucoseReport::logbookHeading_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("heading");
    QTest::newRow("one day") << 1 << "Logbook, the last day";
    QTest::newRow("two days") << 2 << "Logbook, the last 2 days";
    QTest::newRow("two weeks") << 14 << "Logbook, the last 14 days";
}

void TstGlucoseReport::logbookHeading()
{
    QFETCH(int, days);
    QFETCH(QString, heading);
    const GlucoseReport report(weeks(), GlucosePeriod::lastDays(days));
    // The page as drawn: a picture keeps the text of every line it was given.
    QPicture page;
    QPainter painter(&page);
    report.paint(&painter, QRectF(0, 0, 595, 842), 1);
    painter.end();
    const auto drawn = [&page](const QString &text) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << text;
        return QByteArrayView(page.data(), page.size()).contains(bytes);
    };
    QVERIFY(drawn(heading));
    QVERIFY(!drawn(QStringLiteral("Logbook, the last 1 days")));
}

QTEST_MAIN(TstGlucoseReport)
#include "tst_glucosereport.moc"
