# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Run at install time (cmake --install, cpack), after the program and its plugins: copies beside
# the program every library that they import, and that those import in turn, from the folders
# given (Qt's, the MinGW runtime's). Anything imported from elsewhere must be a library of
# Windows itself, one of those in BORVANE_WINDOWS_LIBRARIES; any other stops the install. When
# installing stripped (as the installer does), the copies are stripped too.
# Set by the install code before this: BORVANE_EXECUTABLES, BORVANE_MODULES, BORVANE_SEARCH,
# BORVANE_OBJDUMP, BORVANE_STRIP, BORVANE_WINDOWS_LIBRARIES.

set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
list(TRANSFORM BORVANE_EXECUTABLES PREPEND "$ENV{DESTDIR}")
list(TRANSFORM BORVANE_MODULES PREPEND "$ENV{DESTDIR}")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${BORVANE_OBJDUMP}")
file(GET_RUNTIME_DEPENDENCIES
     EXECUTABLES ${BORVANE_EXECUTABLES}
     MODULES ${BORVANE_MODULES}
     DIRECTORIES ${BORVANE_SEARCH}
     RESOLVED_DEPENDENCIES_VAR found
     UNRESOLVED_DEPENDENCIES_VAR system
     CONFLICTING_DEPENDENCIES_PREFIX conflicting)
if(conflicting_FILENAMES)
    message(FATAL_ERROR "Libraries found twice: ${conflicting_FILENAMES}")
endif()

file(GLOB windows_libraries RELATIVE "${BORVANE_WINDOWS_LIBRARIES}"
     "${BORVANE_WINDOWS_LIBRARIES}/*.dll" "${BORVANE_WINDOWS_LIBRARIES}/*.drv")
list(TRANSFORM windows_libraries TOLOWER)
set(unknown)
foreach(library ${system})
    string(TOLOWER "${library}" name)
    if(NOT name IN_LIST windows_libraries)
        list(APPEND unknown ${library})
    endif()
endforeach()
if(unknown)
    message(FATAL_ERROR "Imported, but neither found in ${BORVANE_SEARCH} nor one of Windows' "
                        "own libraries (${BORVANE_WINDOWS_LIBRARIES}): ${unknown}")
endif()

foreach(library ${found})
    get_filename_component(name "${library}" NAME)
    message(STATUS "Installing: ${destination}/${name}")
    file(COPY "${library}" DESTINATION "${destination}")
    list(APPEND copied "${destination}/${name}")
endforeach()
if(CMAKE_INSTALL_DO_STRIP)
    foreach(library ${copied} ${BORVANE_MODULES})
        execute_process(COMMAND "${BORVANE_STRIP}" --strip-unneeded "${library}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()
