// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "DetailDialog.h"

#include <QDialog>
#include <QPlainTextEdit>

void DetailDialog::exec(const QString &text)
{
    QDialog dialog(nullptr, Qt::WindowFlags());
    dialog.setObjectName(QStringLiteral("dialog"));
    dialog.setModal(true);
    dialog.resize(200, 250);

    // Read-only rather than disabled: long notes still scroll.
    QPlainTextEdit editor(&dialog);
    editor.resize(200, 250);
    editor.setPlainText(text);
    editor.setReadOnly(true);

    dialog.exec();
}
