# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source of the layer LAYER includes one of the program's headers from a folder
# that the layer may not use: SOURCES are the layer's files, ALLOWED the folders (under src/)
# of the layer and of the layers before it, each list separated by "|". The program's headers
# are named from src/ ("values/variant.h"); a name with no folder is not one of them. Headers
# in angle brackets (Qt's, the system's) and the files Qt's tools generate (*.moc, moc_*) are
# not the program's either.
#   cmake -DLAYER=... -DSOURCES=... -DALLOWED=... -P check_layers.cmake

string(REPLACE "|" ";" sources "${SOURCES}")
string(REPLACE "|" ";" allowed "${ALLOWED}")
set(faults)
foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
        if(header MATCHES "(\\.moc|^moc_.*)$")
            continue()
        endif()
        # The folder right under src/: "windows" for "windows/plot/form4.h".
        string(REGEX MATCH "^[^/]+/" folder "${header}")
        string(REGEX REPLACE "/$" "" folder "${folder}")
        list(FIND allowed "${folder}" at)
        if(folder STREQUAL "" OR at EQUAL -1)
            list(APPEND faults "${source} includes \"${header}\"")
        endif()
    endforeach()
endforeach()
if(faults)
    list(JOIN faults "\n  " faults)
    message(FATAL_ERROR "${LAYER} may use only its own folder and those of the layers before it "
                        "(${ALLOWED}):\n  ${faults}")
endif()
