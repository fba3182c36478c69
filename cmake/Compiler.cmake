# SPDX-FileCopyrightText: 2026 Health Journal developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Warnings, the sanitizer build and the fuzz build, for every target.
add_compile_options(-Wall -Wextra -Wpedantic)
add_compile_definitions(QT_NO_CAST_FROM_BYTEARRAY QT_USE_QSTRINGBUILDER)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # QSKIP("reason") is how QTest's own macro is meant to be called.
    add_compile_options(-Wno-gnu-zero-variadic-macro-arguments)
endif()

# The fuzz build runs under the same sanitizers as the sanitizer build.
if(HEALTHJOURNAL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    # Line tables are all that a sanitizer's report reads, and much faster to
    # build than full debug information.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        add_compile_options(-gline-tables-only)
    endif()
endif()

if(HEALTHJOURNAL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "HEALTHJOURNAL_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
