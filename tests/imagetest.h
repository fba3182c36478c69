// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef IMAGETEST_H
#define IMAGETEST_H

// What the tests of pictures share: a colour looked for where a person sees it.

#include <QColor>
#include <QImage>

namespace imagetest {

// Whether a colour is anywhere in the rows from top to bottom (excluded),
// to the last row when bottom is -1.
inline bool hasColour(const QImage &image, const QColor &colour, int top = 0, int bottom = -1)
{
    for (int y = top; y < (bottom < 0 ? image.height() : bottom); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace imagetest

#endif
