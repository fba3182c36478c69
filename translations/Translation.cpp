// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

bool Translation::install()
{
    // Goes with the application object.
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QStringLiteral(":/i18n");
    if (translator->load(QLocale(), QStringLiteral("healthjournal"), QStringLiteral("_"), folder)
        || translator->load(QStringLiteral("healthjournal_en"), folder))
        return QCoreApplication::installTranslator(translator);
    delete translator;
    return false;
}
