// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ReadingDialog.h"

#include "DateSelector.h"
#include "SugarEntry.h"
#include "TimeSelector.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QStringList usualTypes { "pre-breakfast", "post-breakfast", "pre-lunch", "post-lunch",
    "pre-supper", "post-supper", "bedtime", "fasting", "night", "snack" };

} // namespace

ReadingDialog::ReadingDialog(int firstYear, int lastYear, const QStringList &types,
    GlucoseUnit::Unit unit, QWidget *parent)
    : QDialog(parent)
    , date(new DateSelector(firstYear, lastYear - firstYear + 1, this))
    , time(new TimeSelector(this))
    , type(new QComboBox(this))
    , value(new QDoubleSpinBox(this))
    , notes(new QPlainTextEdit(this))
    , unit(unit)
{
    setObjectName(QStringLiteral("readingDialog"));
    type->setObjectName(QStringLiteral("type"));
    value->setObjectName(QStringLiteral("value"));
    notes->setObjectName(QStringLiteral("notes"));

    type->setEditable(true);
    QStringList offered = types;
    for (const QString &t : usualTypes) {
        if (!offered.contains(t))
            offered << t;
    }
    type->addItems(offered);

    const bool mmol = unit == GlucoseUnit::MmolPerL;
    value->setDecimals(mmol ? 1 : 0);
    value->setRange(0, GlucoseUnit::fromMgPerDl(1500, unit));
    value->setSuffix(u' ' + GlucoseUnit::name(unit));
    notes->setTabChangesFocus(true);

    auto *form = new QFormLayout(this);
    form->addRow(tr("&Date:"), date);
    form->addRow(tr("&Time:"), time);
    form->addRow(tr("T&ype:"), type);
    form->addRow(tr("&Value:"), value);
    form->addRow(tr("&Notes:"), notes);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setReading(nullptr);
}

ReadingDialog::~ReadingDialog() = default;

void ReadingDialog::setReading(const SugarEntry *entry)
{
    original.reset(entry ? new SugarEntry(*entry) : nullptr);
    if (entry) {
        setWindowTitle(tr("Edit reading"));
        date->set(entry->getDate());
        time->set(entry->getTime());
        type->setCurrentText(entry->getRType());
        value->setValue(GlucoseUnit::fromMgPerDl(entry->getValue(), unit));
        notes->setPlainText(entry->getNotes());
    } else {
        setWindowTitle(tr("Add reading"));
        const QDateTime now = QDateTime::currentDateTime();
        date->set(now.date());
        time->set(now.time());
        type->setCurrentIndex(0);
        value->setValue(0);
        notes->clear();
    }
    shownValue = value->value();
    value->setFocus();
    value->selectAll();
}

std::unique_ptr<SugarEntry> ReadingDialog::reading() const
{
    auto entry = original ? std::make_unique<SugarEntry>(*original) : std::make_unique<SugarEntry>();
    entry->setDate(date->date());
    entry->setTime(time->time());
    entry->setRType(type->currentText().trimmed());
    if (!original || value->value() != shownValue)
        entry->setValue(GlucoseUnit::toMgPerDl(value->value(), unit));
    // A pasted carriage return would split the line for some readers.
    entry->setNotes(notes->toPlainText().remove(u'\r'));
    return entry;
}

void ReadingDialog::accept()
{
    if (!date->date().isValid()) {
        QMessageBox::warning(this, windowTitle(),
            tr("%1 %2 %3 is not a date.")
                .arg(date->day.currentText(), date->month.currentText(), date->year.currentText()));
        return;
    }
    if (value->value() <= 0 && !(original && !original->hasWholeValue())) {
        QMessageBox::warning(this, windowTitle(), tr("Enter the reading's value."));
        return;
    }
    // A value typed, and a date chosen, are asked about when doubtful: the
    // person may mean them, as a sensor's clock may be ahead.
    if (!original || value->value() != shownValue) {
        const QString doubt = GlucoseUnit::doubt(value->value(), unit);
        if (!doubt.isEmpty()
            && !confirm(doubt.endsWith(u'?') ? doubt : doubt + u'.', tr("Keep this value?"))) {
            value->setFocus();
            value->selectAll();
            return;
        }
    }
    const QDate chosen = date->date();
    if (chosen > QDate::currentDate() && !(original && original->getDate() == chosen)
        && !confirm(tr("%1 is after today.").arg(QLocale().toString(chosen, QLocale::LongFormat)),
            tr("Keep this date?")))
        return;
    QDialog::accept();
}

bool ReadingDialog::confirm(const QString &doubt, const QString &question)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), doubt, QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("doubt"));
    box.setInformativeText(question);
    QPushButton *keep = box.addButton(tr("&Keep"), QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(tr("&Change"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == keep;
}
