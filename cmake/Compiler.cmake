# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Warnings, the sanitizer build and the fuzz build, for every target.
add_compile_options(-Wall -Wextra -Wpedantic)
add_compile_definitions(QT_NO_CAST_FROM_BYTEARRAY QT_USE_QSTRINGBUILDER)

# The fuzz build runs under the same sanitizers as the sanitizer build.
if(HEALTHJOURNAL_SANITIZE OR HEALTHJOURNAL_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(HEALTHJOURNAL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "HEALTHJOURNAL_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
