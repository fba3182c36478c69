# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the project into a fresh prefix and starts the installed viewer
# from there: it must find the installed libraries by itself and paint.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(viewer ${prefix}/bin/journal-viewer)

# The build tree's libraries must not be the ones it finds.
unset(ENV{LD_LIBRARY_PATH})
run(ldd ${viewer})
if(NOT out MATCHES "libjournal\\.so\\.1 => ${prefix}/")
    message(FATAL_ERROR "the installed viewer does not use the installed libjournal:\n${out}")
endif()

# The viewer remembers the journals it opened: here, not in the user's settings.
set(ENV{XDG_CONFIG_HOME} ${WORK_DIR}/config)
set(ENV{XDG_DATA_HOME} ${WORK_DIR}/data)
set(picture ${WORK_DIR}/window.png)
run(${viewer} ${SAMPLE} -grab ${picture})
file(READ ${picture} signature LIMIT 8 HEX)
file(READ ${picture} png HEX)
# The caption, "journal.txt — Health Journal", is international text.
string(HEX "iTXtTitle" key)
string(HEX " Health Journal" caption)
string(REGEX MATCH "${key}.*${caption}" title "${png}")
if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT title)
    message(FATAL_ERROR "the installed viewer's picture is not a PNG of its window: ${picture}")
endif()
message(STATUS "installed viewer painted ${picture}")

# A file manager that reads the installed share/ knows *.journal files and
# offers the viewer for them.
set(share ${prefix}/${DATADIR})
run(update-mime-database ${share}/mime)
file(STRINGS ${share}/mime/globs2 globs REGEX ":text/x-health-journal:\\*\\.journal$")
run(update-desktop-database ${share}/applications)
file(STRINGS ${share}/applications/mimeinfo.cache handlers
     REGEX "^text/x-health-journal=org\\.healthjournal\\.JournalViewer\\.desktop;$")
if(NOT globs OR NOT handlers)
    message(FATAL_ERROR "the journal file type does not open with the viewer: ${share}")
endif()
foreach(file icons/hicolor/scalable/apps/org.healthjournal.JournalViewer.svg
             metainfo/org.healthjournal.JournalViewer.metainfo.xml
             man/man1/journal-viewer.1)
    if(NOT EXISTS ${share}/${file})
        message(FATAL_ERROR "not installed: ${share}/${file}")
    endif()
endforeach()
