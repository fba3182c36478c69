# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Every count of the sources, tr("%n ..."), has its English forms: lupdate,
# run over a copy of the translation, finds no count new and none gone.
file(MAKE_DIRECTORY ${WORK_DIR})
set(copy ${WORK_DIR}/healthjournal_en.ts)
configure_file(${TS} ${copy} COPYONLY)
execute_process(COMMAND ${LUPDATE} -pluralonly -locations none -silent ${SOURCES} -ts ${copy}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${rc}):\n${out}")
endif()
file(READ ${copy} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"(unfinished|vanished|obsolete)\""
    stale "${ts}")
if(stale)
    message(FATAL_ERROR "counts without their English forms in ${TS} (update_translations "
        "adds them):\n${stale}")
endif()
