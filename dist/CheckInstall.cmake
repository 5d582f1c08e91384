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
        lib/ovCalculator/Help/ovCalculator-de.htb
        lib/ovCalculator/Help/ovCalculator-zh_CN.htb
        lib/ovCalculator/ovCalculator.installed
        bin/ovCalculator
        share/applications/${APP_ID}.desktop
        share/metainfo/${APP_ID}.metainfo.xml
        share/icons/hicolor/32x32/apps/${APP_ID}.png
        share/icons/hicolor/64x64/apps/${APP_ID}.png
        share/icons/hicolor/128x128/apps/${APP_ID}.png
        share/icons/hicolor/scalable/apps/${APP_ID}.svg)
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

file(READ "${root}/share/applications/${APP_ID}.desktop" desktop)
foreach(line "Exec=/usr/bin/ovCalculator" "Icon=${APP_ID}" "StartupWMClass=${APP_ID}" "Name=Orvandale Calculator"
             "Type=Application")
    string(FIND "${desktop}" "\n${line}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks \"${line}\"")
    endif()
endforeach()
string(FIND "${desktop}" "@" unexpanded)
if(NOT unexpanded EQUAL -1)
    message(FATAL_ERROR "desktop entry has an unexpanded variable")
endif()

# The freedesktop validator checks keys and categories, AppStream's the
# metadata (without the network: the screenshot's address is not fetched).
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${root}/share/applications/${APP_ID}.desktop"
                RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
if(NOT result EQUAL 0 OR NOT complaints STREQUAL "")
    message(FATAL_ERROR "desktop entry does not validate:\n${complaints}")
endif()
find_program(APPSTREAMCLI appstreamcli REQUIRED)
execute_process(COMMAND "${APPSTREAMCLI}" validate --pedantic --no-net --no-color
                        "${root}/share/metainfo/${APP_ID}.metainfo.xml"
                RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "AppStream metadata does not validate:\n${complaints}")
endif()
file(READ "${root}/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
foreach(part "<id>${APP_ID}</id>" "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>"
        "<binary>ovCalculator</binary>" "<binary>ovcalc</binary>")
    string(FIND "${metainfo}" "${part}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "AppStream metadata lacks ${part}")
    endif()
endforeach()

file(READ "${root}/share/icons/hicolor/64x64/apps/${APP_ID}.png" header LIMIT 24 HEX)
# PNG signature, IHDR, width 64, height 64
if(NOT header MATCHES "^89504e470d0a1a0a0000000d4948445200000040")
    message(FATAL_ERROR "64x64 icon is not a 64 pixel wide PNG: ${header}")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
