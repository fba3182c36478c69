# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The installed CMake package (find_package(HealthJournal)) and the
# pkg-config files of the shared libraries, both relocatable.
include(CMakePackageConfigHelpers)

set(HEALTHJOURNAL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/HealthJournal)
install(EXPORT HealthJournalTargets NAMESPACE HealthJournal::
        DESTINATION ${HEALTHJOURNAL_CMAKEDIR})
configure_package_config_file(cmake/HealthJournalConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/HealthJournalConfig.cmake
    INSTALL_DESTINATION ${HEALTHJOURNAL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/HealthJournalConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/HealthJournalConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/HealthJournalConfigVersion.cmake
        DESTINATION ${HEALTHJOURNAL_CMAKEDIR})

file(RELATIVE_PATH PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
foreach(lib IN ITEMS journal selectors glucose)
    configure_file(cmake/${lib}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${lib}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${lib}.pc
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
