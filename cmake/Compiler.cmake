# Warnings and the sanitizer build, for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic)
add_compile_definitions(QT_NO_CAST_FROM_BYTEARRAY QT_USE_QSTRINGBUILDER)

if(HEALTHJOURNAL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
