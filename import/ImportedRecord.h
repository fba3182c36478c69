// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef IMPORTEDRECORD_H
#define IMPORTEDRECORD_H

#include <QDate>
#include <QHash>
#include <QString>
#include <QTime>

// A record other than a glucose reading read from a device export (a dose
// of insulin, carbohydrates, an activity, a note, ...): the local
// wall-clock time to the minute, the journal's type code ("INSL") and its
// fields by the names the journal gives them ("kind", "units"). A field
// left out is empty; numbers are text with a dot, as the export has them.
struct ImportedRecord
{
    QDate date;
    QTime time;
    QString type;
    QHash<QString, QString> fields;
    // The source's row, as RejectedRow has it: records of one row share it.
    int row = 0;

    // Sets a number field from an export's text, with a dot or a decimal
    // comma ("8.00" gives "8"); false, setting nothing, when the text is not
    // a finite number.
    bool setNumber(const QString &key, const QString &text);
};

#endif
