# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Included where the program's target is made, when building for Windows: a windowed program
# (no console window opens with it; the command line attaches to its caller's console), with
# the program's icon, made at build time from its own pictures, and the one version.

set_target_properties(borvane PROPERTIES WIN32_EXECUTABLE ON)

# ImageMagick's tool: "magick" (ImageMagick 7), or ImageMagick 6's "convert", looked for only off
# Windows, where a program of that name converts disks.
if(CMAKE_HOST_WIN32)
    set(borvane_magick_names magick)
else()
    set(borvane_magick_names magick convert)
endif()
find_program(BORVANE_MAGICK NAMES ${borvane_magick_names} REQUIRED
             DOC "ImageMagick's magick (or convert), which makes the icon")
set(BORVANE_ICO ${CMAKE_CURRENT_BINARY_DIR}/borvane.ico)
set(borvane_icon_pictures)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND borvane_icon_pictures
         ${PROJECT_SOURCE_DIR}/packaging/icons/${size}x${size}/org.borvane.Borvane.png)
endforeach()
add_custom_command(OUTPUT ${BORVANE_ICO}
                   COMMAND ${BORVANE_MAGICK} ${borvane_icon_pictures} ${BORVANE_ICO}
                   DEPENDS ${borvane_icon_pictures}
                   COMMENT "The program's icon, every size in one file" VERBATIM)
configure_file(${CMAKE_CURRENT_LIST_DIR}/borvane.rc.in borvane.rc @ONLY)
target_sources(borvane PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/borvane.rc ${BORVANE_ICO})
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/borvane.rc PROPERTIES OBJECT_DEPENDS
                                                                         ${BORVANE_ICO})
