# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package of everything that installs: cpack -G DEB in the build
# folder, or tools/package.
set(HEALTHJOURNAL_MAINTAINER "Health Journal developers <developers@healthjournal.example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME health-journal)
set(CPACK_PACKAGE_VENDOR "Health Journal developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal journal of blood sugar readings")
set(CPACK_PACKAGE_DESCRIPTION [=[
Health Journal shows a journal of blood sugar readings, a plain text file
with one reading a line, day by day: each reading with its time, its kind
and its notes.
.
Readings are added, edited and deleted with undo, and written at once.
.
The package holds the viewer, journal-viewer, with its desktop entry and
the journal file type, and the project's libraries (journal, date
selectors, glucose statistics, device import) with their headers, CMake
package and pkg-config files.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HEALTHJOURNAL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Dependencies come from the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file and the ldconfig trigger for the libraries in the package.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
