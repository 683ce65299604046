# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Borvane as a web page (Qt for WebAssembly), included for the executable `borvane`. The page is a
# folder of static files that any web server can serve:
#   cmake --install BUILD --prefix FOLDER
# puts there index.html (the program's own page), borvane.js and borvane.wasm (the program),
# qtloader.js (Qt's loader, which the page drives) and the icons; scripts/web.sh adds the
# compressed copies of the large ones.

# The faces that the windows name, brought along: a page sees none of the system's fonts.
# fonts-liberation's metric twins of Arial (MS Sans Serif's substitute) and Courier New.
set(BORVANE_FONT_FOLDERS /usr/share/fonts/truetype/liberation /usr/share/fonts/truetype/liberation2)
set(BORVANE_FONTS)
foreach(face LiberationSans-Regular LiberationSans-Bold LiberationMono-Regular)
    find_file(BORVANE_FONT_${face} ${face}.ttf PATHS ${BORVANE_FONT_FOLDERS} NO_DEFAULT_PATH
              NO_CMAKE_FIND_ROOT_PATH)
    if(NOT BORVANE_FONT_${face})
        message(FATAL_ERROR "${face}.ttf not found in ${BORVANE_FONT_FOLDERS}: "
                            "install fonts-liberation")
    endif()
    set_source_files_properties(${BORVANE_FONT_${face}} PROPERTIES QT_RESOURCE_ALIAS ${face}.ttf)
    list(APPEND BORVANE_FONTS ${BORVANE_FONT_${face}})
endforeach()
qt_add_resources(borvane borvane_fonts PREFIX /fonts FILES ${BORVANE_FONTS})

# The page calls the program's module by this name.
set_target_properties(borvane PROPERTIES QT_WASM_EXPORT_NAME borvane_entry)
# The modal message boxes and dialogs wait for their answer (one at a time) through asyncify.
target_link_options(borvane PRIVATE "SHELL:-s ASYNCIFY" -Os)

# The page: its texts in Italian, the program's version, and the size of the program's module
# (to show the loading's progress, whatever compression the server sends it with).
set(BORVANE_PAGE ${CMAKE_BINARY_DIR}/page/index.html)
add_custom_command(TARGET borvane POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/packaging/web/index.html.in
            -DPAGE=${BORVANE_PAGE} -DVERSION=${PROJECT_VERSION}
            -DMODULE=$<TARGET_FILE_DIR:borvane>/borvane.wasm
            -P ${PROJECT_SOURCE_DIR}/packaging/web/page.cmake
    COMMENT "Writing the web page" VERBATIM)

install(FILES ${BORVANE_PAGE} $<TARGET_FILE_DIR:borvane>/borvane.js
              $<TARGET_FILE_DIR:borvane>/borvane.wasm $<TARGET_FILE_DIR:borvane>/qtloader.js
        DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/org.borvane.Borvane.svg DESTINATION .
        RENAME favicon.svg)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/32x32/org.borvane.Borvane.png DESTINATION .
        RENAME favicon-32.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/256x256/org.borvane.Borvane.png DESTINATION .
        RENAME icon-256.png)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
