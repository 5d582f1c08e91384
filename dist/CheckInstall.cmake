# cmake -DBUILD_DIR=<build> -DSCRATCH=<dir> -P CheckInstall.cmake
# Installs the build into SCRATCH (prefix /usr, through DESTDIR) and checks
# the layout a desktop relies on.
file(REMOVE_RECURSE "${SCRATCH}")
set(ENV{DESTDIR} "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(root "${SCRATCH}/usr")
foreach(path
        lib/ovCalculator/ovCalculator
        lib/ovCalculator/Help/ovCalculator.htb
        lib/ovCalculator/ovCalculator.installed
        bin/ovCalculator
        share/applications/ovcalculator.desktop
        share/icons/hicolor/32x32/apps/ovcalculator.png
        share/icons/hicolor/64x64/apps/ovcalculator.png
        share/icons/hicolor/128x128/apps/ovcalculator.png)
    if(NOT EXISTS "${root}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

if(NOT IS_SYMLINK "${root}/bin/ovCalculator")
    message(FATAL_ERROR "bin/ovCalculator is not a link")
endif()
file(READ_SYMLINK "${root}/bin/ovCalculator" target)
if(NOT target STREQUAL "../lib/ovCalculator/ovCalculator")
    message(FATAL_ERROR "bin/ovCalculator points to ${target}")
endif()

file(READ "${root}/share/applications/ovcalculator.desktop" desktop)
foreach(line "Exec=/usr/bin/ovCalculator" "Icon=ovcalculator" "Name=Orvandale Calculator" "Type=Application")
    string(FIND "${desktop}" "\n${line}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks \"${line}\"")
    endif()
endforeach()
string(FIND "${desktop}" "@" unexpanded)
if(NOT unexpanded EQUAL -1)
    message(FATAL_ERROR "desktop entry has an unexpanded variable")
endif()

# The freedesktop validator, where it is installed, checks keys and categories.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${root}/share/applications/ovcalculator.desktop"
                    RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
    if(NOT result EQUAL 0 OR NOT complaints STREQUAL "")
        message(FATAL_ERROR "desktop entry does not validate:\n${complaints}")
    endif()
endif()

file(READ "${root}/share/icons/hicolor/64x64/apps/ovcalculator.png" header LIMIT 24 HEX)
# PNG signature, IHDR, width 64, height 64
if(NOT header MATCHES "^89504e470d0a1a0a0000000d4948445200000040")
    message(FATAL_ERROR "64x64 icon is not a 64 pixel wide PNG: ${header}")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
