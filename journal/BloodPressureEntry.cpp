// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "BloodPressureEntry.h"

const QString BloodPressureEntry::typecode = QStringLiteral("BLPR");

const RecordEntry::Description BloodPressureEntry::description {
    typecode,
    "Blood pressure",
    "bp",
    "blood pressure reading",
    { Field::number("systolic", "Systolic", "mmHg", 40, 300),
        Field::number("diastolic", "Diastolic", "mmHg", 20, 200),
        Field::number("pulse", "Pulse", "/min", 20, 300, true), Field::notes() },
    [](const RecordEntry &e) -> QString {
        const QString pulse = e.text(Pulse);
        return u"Blood pressure = " + e.text(Systolic) + u'/' + e.shown(Diastolic)
            + (pulse.isEmpty() ? QString() : u", pulse " + pulse);
    },
    [](const RecordEntry &e) -> QString {
        if (e.isNumber(Systolic) && e.isNumber(Diastolic)
            && e.number(Systolic) <= e.number(Diastolic))
            return QStringLiteral("impossible blood pressure %1/%2")
                .arg(e.text(Systolic), e.text(Diastolic));
        return QString();
    },
};
