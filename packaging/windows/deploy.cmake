# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Run at install time (cmake --install, cpack), after the program and its plugins: copies beside
# the program every library that they import, and that those import in turn, found in the
# folders given (Qt's, the MinGW runtime's) by reading the import tables (objdump -p). Anything
# imported from elsewhere must be a library of Windows itself: one of those in
# BORVANE_WINDOWS_LIBRARIES, or an API set (api-ms-win-…, ext-ms-…, which Windows maps to its
# own libraries); any other stops the install. When installing stripped (as the installer
# does), the copies and the plugins are stripped too.
# Set by the install code before this: BORVANE_EXECUTABLES, BORVANE_MODULES, BORVANE_SEARCH,
# BORVANE_OBJDUMP, BORVANE_STRIP, BORVANE_WINDOWS_LIBRARIES.

set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
list(TRANSFORM BORVANE_EXECUTABLES PREPEND "$ENV{DESTDIR}")
list(TRANSFORM BORVANE_MODULES PREPEND "$ENV{DESTDIR}")

# Windows finds a library by its name in any case: so are they looked up here.
set(known)
foreach(folder ${BORVANE_SEARCH})
    file(GLOB libraries "${folder}/*.dll")
    foreach(library ${libraries})
        get_filename_component(name "${library}" NAME)
        string(TOLOWER "${name}" name)
        if(NOT DEFINED "found_${name}")
            set("found_${name}" "${library}")
            list(APPEND known ${name})
        endif()
    endforeach()
endforeach()
file(GLOB windows_libraries RELATIVE "${BORVANE_WINDOWS_LIBRARIES}"
     "${BORVANE_WINDOWS_LIBRARIES}/*.dll" "${BORVANE_WINDOWS_LIBRARIES}/*.drv")
list(TRANSFORM windows_libraries TOLOWER)

set(pending ${BORVANE_EXECUTABLES} ${BORVANE_MODULES})
set(read)
set(copied)
set(unknown)
while(pending)
    list(POP_FRONT pending file)
    list(FIND read "${file}" at) # (install scripts run without the project's policies)
    if(NOT at EQUAL -1)
        continue()
    endif()
    list(APPEND read "${file}")
    execute_process(COMMAND "${BORVANE_OBJDUMP}" -p "${file}" OUTPUT_VARIABLE imports
                    COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${imports}")
    foreach(import ${imports})
        string(REGEX REPLACE "^DLL Name: " "" name "${import}")
        string(STRIP "${name}" name)
        string(TOLOWER "${name}" key)
        if(DEFINED "found_${key}")
            list(APPEND pending "${found_${key}}")
            list(FIND copied "${found_${key}}" at)
            if(at EQUAL -1)
                list(APPEND copied "${found_${key}}")
            endif()
        elseif(NOT key MATCHES "^(api|ext)-ms-")
            list(FIND windows_libraries "${key}" at)
            if(at EQUAL -1)
                list(APPEND unknown "${name} (imported by ${file})")
            endif()
        endif()
    endforeach()
endwhile()
if(unknown)
    message(FATAL_ERROR "Imported, but neither found in ${BORVANE_SEARCH} nor one of Windows' "
                        "own libraries (${BORVANE_WINDOWS_LIBRARIES}): ${unknown}")
endif()

set(installed)
foreach(library ${copied})
    get_filename_component(name "${library}" NAME)
    message(STATUS "Installing: ${destination}/${name}")
    file(COPY "${library}" DESTINATION "${destination}")
    list(APPEND installed "${destination}/${name}")
endforeach()
if(CMAKE_INSTALL_DO_STRIP)
    foreach(library ${installed} ${BORVANE_MODULES})
        execute_process(COMMAND "${BORVANE_STRIP}" --strip-unneeded "${library}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()
