// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "HbA1cEntry.h"

#include <cmath>

const QString HbA1cEntry::typecode = QStringLiteral("HBA1");

const RecordEntry::Description HbA1cEntry::description {
    typecode,
    "HbA1c",
    "hba1c",
    "HbA1c result",
    { Field::number("percent", "HbA1c", "%", 3, 20), Field::notes() },
    [](const RecordEntry &e) -> QString {
        QString s = u"HbA1c = " + e.shown(Percent);
        if (e.isNumber(Percent))
            s += QStringLiteral(" (%1 mmol/mol)").arg(mmolPerMol(e.number(Percent)));
        return s;
    },
};

int HbA1cEntry::mmolPerMol(double percent)
{
    return int(std::lround((percent - 2.15) * 10.929));
}
