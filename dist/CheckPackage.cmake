# cmake -DBUILD_DIR=<build> -DSCRATCH=<dir> -P CheckPackage.cmake
# Builds the Debian package into SCRATCH and checks what it would install and
# what it depends on.
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND cpack -G DEB -B "${SCRATCH}" --config "${BUILD_DIR}/CPackConfig.cmake"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB debs "${SCRATCH}/ovcalculator_*.deb")
if(NOT result EQUAL 0 OR NOT debs)
    message(FATAL_ERROR "cpack -G DEB failed (${result}):\n${output}")
endif()
list(GET debs 0 deb)

execute_process(COMMAND dpkg-deb -c "${deb}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c failed: ${result}")
endif()
# "<mode> root/root <size> <date> <time> ./<path>[ -> <target>]", one line each.
foreach(entry
        "-rwxr-xr-x root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/lib/ovCalculator/ovCalculator\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/lib/ovCalculator/Help/ovCalculator.htb\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/lib/ovCalculator/Help/ovCalculator-pt_BR.htb\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/locale/pt_BR/LC_MESSAGES/ovcalculator.mo\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/lib/ovCalculator/ovCalculator.installed\n"
        "lrwxrwxrwx root/root 0 [-0-9]+ [:0-9]+ ./usr/bin/ovCalculator -> ../lib/ovCalculator/ovCalculator\n"
        "-rwxr-xr-x root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/bin/ovcalc\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/applications/${APP_ID}.desktop\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/metainfo/${APP_ID}.metainfo.xml\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/icons/hicolor/64x64/apps/${APP_ID}.png\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/doc/ovcalculator/copyright\n"
        "-rw-r--r-- root/root [0-9]+ [-0-9]+ [:0-9]+ ./usr/share/man/man1/ovcalc.1.gz\n")
    string(REGEX REPLACE " +" " " flattened "${listing}")
    if(NOT flattened MATCHES "${entry}")
        message(FATAL_ERROR "the package lacks ${entry}in:\n${listing}")
    endif()
endforeach()
if(listing MATCHES "usr/local|_CPack_Packages")
    message(FATAL_ERROR "the package holds files outside /usr:\n${listing}")
endif()

# The dependencies are the programs' libraries, found by dpkg-shlibdeps
# (wxWidgets among them only where it is linked as a shared library).
execute_process(COMMAND dpkg-deb -f "${deb}" Depends OUTPUT_VARIABLE depends)
foreach(package libc6 libstdc\\+\\+6 libgtk-3-0)
    if(NOT depends MATCHES "(^|, )${package} \\(>= [^)]+\\)")
        message(FATAL_ERROR "Depends lacks ${package}: ${depends}")
    endif()
endforeach()

# The desktop entry starts the installed program, not the staging copy.
execute_process(COMMAND dpkg-deb --fsys-tarfile "${deb}" OUTPUT_FILE "${SCRATCH}/files.tar")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf files.tar ./usr/share/applications/${APP_ID}.desktop
                WORKING_DIRECTORY "${SCRATCH}")
file(READ "${SCRATCH}/usr/share/applications/${APP_ID}.desktop" desktop)
if(NOT desktop MATCHES "\nExec=/usr/bin/ovCalculator\n")
    message(FATAL_ERROR "desktop entry:\n${desktop}")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
