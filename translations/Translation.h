// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef TRANSLATION_H
#define TRANSLATION_H

// The programs' texts are English already, but a count in tr("%n readings")
// has its singular only from a translation: the English one gives "1
// reading". A program installs it once its application object exists.
class Translation
{
public:
    // Installs the translation of the user's language, or the English one
    // when there is none; false when neither loads.
    static bool install();
};

#endif
