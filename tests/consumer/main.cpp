// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <DateSelector.h>
#include <GlucoseStatistics.h>
#include <InsulinEntry.h>
#include <JournalEntry.h>
#include <SugarEntry.h>
#include <TimeSelector.h>

#include <QApplication>
#include <QComboBox>
#include <QTextStream>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    static const SugarEntry::MyFactory sugarFactory;
    const QString line = QStringLiteral(R"(SUGR|20240305|0708|pre-lunch|104|a\Pb)");
    const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
    // A record type registered from outside the library, by its own factory.
    static const InsulinEntry::MyFactory insulinFactory;
    const QString dose = QStringLiteral("INSL|20240305|0727|bolus|8|Humalog|");
    const std::unique_ptr<JournalEntry> insulin(JournalEntry::decode(dose));

    DateSelector date;
    date.set(QDate(2009, 7, 14));
    TimeSelector time;
    time.set(QTime(13, 30));
    const auto shown = [](const QWidget &selector) {
        QString text;
        for (const QComboBox *list : selector.findChildren<QComboBox *>())
            text += list->currentText() + ' ';
        return text.trimmed();
    };

    const GlucoseStatistics stats(
        { { QDate(2024, 3, 5), QTime(7, 8), 104 } }, GlucosePeriod::all());

    QTextStream out(stdout);
    out << (entry ? entry->getSummary() : QStringLiteral("not decoded")) << "\n"
        << shown(date) << " " << shown(time) << "\n";
    const bool ok = entry && entry->encode() == line && insulin && insulin->encode() == dose
        && dynamic_cast<const InsulinEntry *>(insulin.get()) && shown(date) == "July 14 2009"
        && shown(time) == "1 30 PM" && stats.count() == 1 && stats.median() == 104;
    return ok ? 0 : 1;
}
