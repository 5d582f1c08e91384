# The resources of the Windows programs beyond their version information:
#   ov_windows_resources(<target> GUI|CONSOLE)
# gives <target> the program's icon and a manifest (for GUI programs
# wxWidgets' own, with common controls 6 and per-monitor DPI awareness).
# Included by the top-level CMakeLists.txt in Windows builds.

# The program's icon in the sizes Windows shows, from the window icon.
find_program(OV_MAGICK NAMES convert)
set(icon_source ${PROJECT_SOURCE_DIR}/Images/calculator.xpm)
set(OV_WINDOWS_ICON ${CMAKE_BINARY_DIR}/ovCalculator.ico CACHE INTERNAL "The programs' icon")
if(OV_MAGICK)
    add_custom_command(OUTPUT ${OV_WINDOWS_ICON}
        COMMAND ${OV_MAGICK} ${icon_source}
            ( -clone 0 -filter box -resize 16x16 ) ( -clone 0 )
            ( -clone 0 -filter point -resize 48x48 ) ( -clone 0 -filter point -resize 64x64 )
            ( -clone 0 -filter point -resize 256x256 ) -delete 0 ${OV_WINDOWS_ICON}
        DEPENDS ${icon_source}
        COMMENT "Making the programs' icon"
        VERBATIM)
else()
    message(FATAL_ERROR "ImageMagick's convert is needed for the Windows icon (Debian package imagemagick)")
endif()
add_custom_target(ov_windows_icon DEPENDS ${OV_WINDOWS_ICON})

set(OV_WINDOWS_DIST_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
function(ov_windows_resources target kind)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
    set(icon ${OV_WINDOWS_ICON})
    if(kind STREQUAL "GUI")
        # wxWidgets' own resources, with its manifest: common controls 6 and
        # per-monitor DPI awareness.
        set(body "#define wxUSE_DPI_AWARE_MANIFEST 2\n#include \"wx/msw/wx.rc\"\n")
    else()
        set(body "1 24 \"${OV_WINDOWS_DIST_DIR}/console.manifest\"\n")
    endif()
    file(WRITE ${rc} "// Generated: the resources of ${target}.\n"
                     "ovCalculator ICON \"${icon}\"\n${body}")
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} ov_windows_icon)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${icon})
endfunction()
