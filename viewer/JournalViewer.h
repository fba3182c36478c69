// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALVIEWER_H
#define JOURNALVIEWER_H

#include "GlucoseReading.h"
#include "GlucoseUnit.h"
#include "JournalFile.h"
#include "TreatmentStatistics.h"

#include <QListWidget>
#include <QSet>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class JournalEntry;
class ListBoxEntryItem;

// The list of a journal's entries in order of date and time, a black
// header above each day. A double-click on an entry opens its detail.
class JournalViewer : public QListWidget
{
    Q_OBJECT

public:
    // A line that does not read as a sound entry, and why.
    struct Problem
    {
        int line;
        QString reason;
    };

    // Reads nothing: the list stays empty until reload().
    JournalViewer(const QString &fileName, QWidget *parent = nullptr, const char *name = nullptr);
    ~JournalViewer() override;

    // Discards all rows and their entries and reads the journal file again.
    // A file that cannot be read gives an empty list; file().errorString()
    // tells why.
    void reload();

    // The journal as last read or written; the window writes through it.
    JournalFile &file() { return *journal; }
    // Shows another journal from the next reload().
    void setFileName(const QString &name);
    const std::vector<Problem> &problems() const { return unreadable; }
    // The sound readings among the entries, and the sound records of other
    // types: an entry of a line not read, listed in problems(), is neither.
    int readingCount() const { return soundReadings; }
    int recordCount() const { return soundRecords; }
    const std::vector<std::unique_ptr<const JournalEntry>> &allEntries() const { return entries; }
    // The blood sugar readings of the days from and to, both included, in
    // time order, for the statistics, which leave out those that are not
    // sound: an invalid day leaves that end open, and with the first end
    // open the undated readings come first.
    std::vector<GlucoseReading> readings(
        const QDate &from = QDate(), const QDate &to = QDate()) const;
    // A reading of each day that has readings (GlucosePeriod::addDay): what
    // the statistics need to find their days without the readings.
    std::vector<GlucoseReading> readingDays() const;
    // The doses, carbohydrates, activities and HbA1c results, in time order.
    std::vector<TreatmentStatistics::Treatment> treatments() const;

    // Rows for entries that a change has just written: the list takes the
    // entry, puts its row in place (with a header for a new day) and moves
    // the line numbers of the rows after it.
    ListBoxEntryItem *insertEntry(std::unique_ptr<const JournalEntry> entry, int line);
    void removeEntry(ListBoxEntryItem *row);
    // A row shows the entry that a change wrote in its line, when that
    // entry stands where the row stands: at the same moment. The row keeps
    // its place, and the list need not lay a million rows out again. False,
    // and nothing changed, otherwise.
    bool replaceEntry(ListBoxEntryItem *row, std::unique_ptr<const JournalEntry> &entry);
    ListBoxEntryItem *rowOfLine(int line) const;
    // The header of the day, or of the first day after it; -1 when none.
    int rowOfDay(const QDate &date) const;

    // Hides or shows the rows of a type, and the headers of days left without rows.
    void setTypeShown(const QString &typecode, bool shown);
    bool isTypeShown(const QString &typecode) const { return !hiddenTypes.contains(typecode); }

    // Rows show values in mg/dL exactly as the entries' summaries, or in mmol/L.
    void setUnit(GlucoseUnit::Unit unit);
    GlucoseUnit::Unit unit() const { return shownUnit; }
    // The text of an entry's row in the unit shown; a row of a line not
    // read says why.
    QString summaryOf(const JournalEntry *entry) const;
    // Opens an entry's detail, a reading's value in the unit shown.
    void showDetailOf(const JournalEntry *entry) const;

public Q_SLOTS:
    void viewDetail(QListWidgetItem *item);

private:
    // Each entry's Julian day (INT_MIN without one) and milliseconds into it
    // (-1 without a time), as its line was decoded.
    void buildRows(std::vector<std::unique_ptr<ListBoxEntryItem>> made,
        const std::vector<std::pair<int, int>> &when);
    void shiftLines(int from, int delta);
    void keep(const JournalEntry *entry, int line, bool sound, bool reading);
    void applyShownTypes();

    QString fileName;
    std::optional<JournalFile> journal;
    std::vector<std::unique_ptr<const JournalEntry>> entries;
    std::vector<int> lines; // the journal line of each entry
    std::vector<Problem> unreadable;
    GlucoseUnit::Unit shownUnit = GlucoseUnit::MgPerDl;
    int soundReadings = 0;
    int soundRecords = 0;
    int otherEntries = 0; // the entries of other types than readings, sound or not
    // The treatments, found as the journal is read, until a change.
    mutable std::vector<TreatmentStatistics::Treatment> treated;
    mutable bool treatedKnown = false;
    QSet<QString> hiddenTypes;
};

#endif
