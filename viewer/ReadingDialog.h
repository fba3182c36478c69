// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef READINGDIALOG_H
#define READINGDIALOG_H

#include "GlucoseUnit.h"

#include <QDialog>

#include <memory>

class DateSelector;
class QComboBox;
class QDoubleSpinBox;
class QPlainTextEdit;
class SugarEntry;
class TimeSelector;

// Asks for a blood sugar reading to add, or for the changes to one: date,
// time, reading type, value and notes. An impossible date is refused with
// a message and the dialog stays open; a value outside the plausible range
// or likely in the other unit, and a date after today, are kept only once
// the person confirms them.
class ReadingDialog : public QDialog
{
    Q_OBJECT

public:
    // The year list runs from firstYear to lastYear; types are offered in
    // the order given, then the usual ones.
    ReadingDialog(int firstYear, int lastYear, const QStringList &types, GlucoseUnit::Unit unit,
        QWidget *parent = nullptr);
    ~ReadingDialog() override;

    // Shows the reading; without one, now and an empty value.
    void setReading(const SugarEntry *entry);
    // The reading as the dialog shows it. A value field that was not a
    // whole number and was not touched stays as it was.
    std::unique_ptr<SugarEntry> reading() const;

    void accept() override;

private:
    // Shows the doubt and asks the question; true when the person keeps what they typed.
    bool confirm(const QString &doubt, const QString &question);

    DateSelector *date;
    TimeSelector *time;
    QComboBox *type;
    QDoubleSpinBox *value;
    QPlainTextEdit *notes;
    GlucoseUnit::Unit unit;
    std::unique_ptr<SugarEntry> original;
    double shownValue = 0;
};

#endif
