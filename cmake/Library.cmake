# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A shared library of the project: SOVERSION 1, only its interface exported,
# installed with its public headers into the HealthJournal package.
include(GenerateExportHeader)

function(healthjournal_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;LIBRARIES" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    add_library(HealthJournal::${name} ALIAS ${name})
    generate_export_header(${name} BASE_NAME ${name})

    set_target_properties(${name} PROPERTIES
        VERSION ${PROJECT_VERSION} SOVERSION 1
        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
        PUBLIC_HEADER "${ARG_HEADERS};${CMAKE_CURRENT_BINARY_DIR}/${name}_export.h")
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/healthjournal>)
    target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES})
    # Calls between the library's own exported functions go straight to
    # them, not through the table that would let another library stand in:
    # a line read calls a few of them for each field.
    target_compile_options(${name} PRIVATE
        $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-semantic-interposition>)

    install(TARGETS ${name} EXPORT HealthJournalTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/healthjournal)
endfunction()
