// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary bytes as a Tandem t:connect export: an error, or readings a journal can hold.

#include "importcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    importcheck::run(data, size, QStringLiteral("tandem"));
    return 0;
}
