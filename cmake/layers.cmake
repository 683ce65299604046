# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's layers: each a static library made of the sources in one folder of its own
# under src/, which may use only the layers made before it. Its sources include headers from
# no folder but its own and those of the earlier layers, which the build checks
# (check_layers.cmake) before it compiles them, and it links only the earlier layers' libraries
# (LINKS).
#   borvane_add_layer(NAME FOLDER folder SOURCES file... LINKS target...)
# The SOURCES are named inside the FOLDER.

set_property(GLOBAL PROPERTY BORVANE_LAYER_FOLDERS "")

function(borvane_add_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 layer "" "FOLDER" "SOURCES;LINKS")
    set(sources)
    foreach(source ${layer_SOURCES})
        list(APPEND sources ${PROJECT_SOURCE_DIR}/src/${layer_FOLDER}/${source})
    endforeach()
    qt_add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${layer_LINKS})

    # The folders whose headers this layer may include: its own and those of the layers before.
    get_property(allowed GLOBAL PROPERTY BORVANE_LAYER_FOLDERS)
    list(APPEND allowed ${layer_FOLDER})
    set_property(GLOBAL PROPERTY BORVANE_LAYER_FOLDERS "${allowed}")
    set(checked ${CMAKE_CURRENT_BINARY_DIR}/${name}.layer-checked)
    string(REPLACE ";" "|" allowed_argument "${allowed}")
    string(REPLACE ";" "|" sources_argument "${sources}")
    add_custom_command(
        OUTPUT ${checked}
        COMMAND ${CMAKE_COMMAND} -DLAYER=${name} "-DSOURCES=${sources_argument}"
                "-DALLOWED=${allowed_argument}" -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
        COMMAND ${CMAKE_COMMAND} -E touch ${checked}
        DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
        COMMENT "Checking that ${name} includes no header of a later layer" VERBATIM)
    add_custom_target(${name}_layer_check DEPENDS ${checked})
    add_dependencies(${name} ${name}_layer_check)
endfunction()
