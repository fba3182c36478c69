# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installed programs find the project's libraries relative to themselves, so
# a copy installed under any prefix starts without LD_LIBRARY_PATH.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
