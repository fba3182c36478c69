// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RecordDialog.h"

#include "DateSelector.h"
#include "JournalTypes.h"
#include "TimeSelector.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

RecordDialog::RecordDialog(
    const RecordEntry::Description &type, int firstYear, int lastYear, QWidget *parent)
    : QDialog(parent)
    , type(type)
    , date(new DateSelector(firstYear, lastYear - firstYear + 1, this))
    , time(new TimeSelector(this))
{
    setObjectName(QStringLiteral("recordDialog"));
    auto *form = new QFormLayout(this);
    form->addRow(tr("&Date:"), date);
    form->addRow(tr("&Time:"), time);
    for (const RecordEntry::Field &f : type.fields) {
        QWidget *editor;
        if (f.kind == RecordEntry::Field::Notes) {
            auto *notes = new QPlainTextEdit(this);
            notes->setTabChangesFocus(true);
            editor = notes;
        } else if (!f.choices.isEmpty()) {
            auto *list = new QComboBox(this);
            list->addItems(f.choices);
            editor = list;
        } else {
            auto *line = new QLineEdit(this);
            if (f.kind == RecordEntry::Field::Number && *f.unit)
                line->setPlaceholderText(QString::fromUtf8(f.unit));
            editor = line;
        }
        editor->setObjectName(QString::fromLatin1(f.key));
        editors.push_back(editor);
        QString label = QString::fromUtf8(f.label);
        if (f.kind == RecordEntry::Field::Number && *f.unit)
            label += u" (" + QString::fromUtf8(f.unit) + u')';
        form->addRow(label + u':', editor);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setRecord(nullptr);
}

RecordDialog::~RecordDialog() = default;

void RecordDialog::setRecord(const RecordEntry *entry)
{
    original.reset(entry ? new RecordEntry(*entry) : nullptr);
    const QString name = QString::fromUtf8(type.name);
    setWindowTitle(entry ? tr("Edit %1").arg(name) : tr("Add %1").arg(name));
    const QDateTime at = entry ? entry->getDateTime() : QDateTime::currentDateTime();
    date->set(at.date());
    time->set(at.time());
    for (size_t i = 0; i < editors.size(); ++i) {
        const QString text = entry ? entry->text(int(i)) : QString();
        if (auto *notes = qobject_cast<QPlainTextEdit *>(editors[i])) {
            notes->setPlainText(text);
        } else if (auto *list = qobject_cast<QComboBox *>(editors[i])) {
            // A word that is none of the choices is offered as it stands.
            if (entry && list->findText(text) < 0)
                list->addItem(text);
            list->setCurrentIndex(entry ? list->findText(text) : 0);
        } else {
            static_cast<QLineEdit *>(editors[i])->setText(text);
        }
    }
    if (!editors.empty())
        editors.front()->setFocus();
}

QString RecordDialog::fieldText(int field) const
{
    QWidget *editor = editors[size_t(field)];
    if (auto *notes = qobject_cast<QPlainTextEdit *>(editor)) {
        // A pasted carriage return would split the line for some readers.
        return notes->toPlainText().remove(u'\r');
    }
    if (auto *list = qobject_cast<QComboBox *>(editor))
        return list->currentText();
    QString text = static_cast<QLineEdit *>(editor)->text().trimmed();
    const RecordEntry::Field &f = type.fields[size_t(field)];
    if (f.kind == RecordEntry::Field::Number && (!original || text != original->text(field))) {
        // Typed with a decimal comma, or with trailing zeros: written as the journal writes.
        const QString dotted = QString(text).replace(u',', u'.');
        if (RecordEntry::isNumberText(dotted))
            text = RecordEntry::tidyNumber(dotted);
    }
    return text;
}

std::unique_ptr<RecordEntry> RecordDialog::record() const
{
    std::unique_ptr<RecordEntry> entry
        = original ? std::make_unique<RecordEntry>(*original) : JournalTypes::create(type);
    if (!entry)
        return nullptr;
    entry->setDate(date->date());
    entry->setTime(time->time());
    for (int i = 0; i < int(editors.size()); ++i) {
        // Untouched, a field stays as it was written, to the byte.
        const QString text = fieldText(i);
        if (!original || text != original->text(i))
            entry->setText(i, text);
    }
    return entry;
}

QString RecordDialog::refusal(int field) const
{
    const RecordEntry::Field &f = type.fields[size_t(field)];
    const QString text = fieldText(field);
    const QString label = QString::fromUtf8(f.label);
    // The only field of its type, as a note's text, must say something.
    if (text.trimmed().isEmpty()
        && (f.kind == RecordEntry::Field::Number ? !f.optional : type.fields.size() == 1))
        return tr("Enter the %1.").arg(label.toLower());
    if (f.kind != RecordEntry::Field::Number || text.isEmpty()
        || (original && text == original->text(field)))
        return {};
    if (!RecordEntry::isNumberText(text))
        return tr("%1: \"%2\" is not a number.").arg(label, text);
    const double v = text.toDouble();
    if (v < f.lowest || v > f.highest) {
        return tr("%1: %2 is not possible; it lies between %3 and %4 %5.")
            .arg(label, text, RecordEntry::numberText(f.lowest), RecordEntry::numberText(f.highest),
                QString::fromUtf8(f.unit));
    }
    return {};
}

void RecordDialog::accept()
{
    QString why;
    if (!date->date().isValid()) {
        why = tr("%1 %2 %3 is not a date.")
                  .arg(
                      date->day.currentText(), date->month.currentText(), date->year.currentText());
    }
    for (int i = 0; why.isEmpty() && i < int(editors.size()); ++i)
        why = refusal(i);
    if (why.isEmpty() && type.check)
        why = type.check(*record());
    if (!why.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), why);
        return;
    }
    QDialog::accept();
}
