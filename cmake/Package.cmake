# The release package: a zip that unpacks to a folder which runs from
# anywhere, Kelvoria-<version>-win32 (i686) or -win64 (x86_64):
#   Kelvoria.exe, fmod.dll, Skins/, an empty Playlists/, readme.txt, and the
#   notice and licence text that FFmpeg's LGPL asks for.
# `cpack` in a build folder makes it (scripts/package.sh makes both).
if(KELVORIA_ARCH STREQUAL "i686")
    set(KELVORIA_WINDOWS "32-bit Windows")
    set(package_suffix win32)
else()
    set(KELVORIA_WINDOWS "64-bit Windows")
    set(package_suffix win64)
endif()

# What the notice says of the FFmpeg inside fmod.dll: its version and the
# Debian source package and configuration it was built from.
file(STRINGS ${KELVORIA_FFMPEG_PREFIX}/include/libavutil/ffversion.h version_line REGEX "FFMPEG_VERSION")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" KELVORIA_FFMPEG_VERSION "${version_line}")
set(build_record ${KELVORIA_FFMPEG_PREFIX}/share/kelvoria-ffmpeg-build.txt)
if(EXISTS ${build_record})
    file(READ ${build_record} KELVORIA_FFMPEG_BUILD)
else()
    set(KELVORIA_FFMPEG_BUILD "Debian source package: ffmpeg ${KELVORIA_FFMPEG_VERSION}")
endif()

set(package_text ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/resources/package/readme.txt.in ${package_text}/readme.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/resources/package/FFMPEG-NOTICE.txt.in ${package_text}/FFMPEG-NOTICE.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(/usr/share/common-licenses/LGPL-2.1 ${package_text}/COPYING.LGPLv2.1.txt COPYONLY)

install(TARGETS Kelvoria RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:fmod> DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Skins DESTINATION .)
install(DIRECTORY DESTINATION Playlists)
install(FILES ${package_text}/readme.txt ${package_text}/FFMPEG-NOTICE.txt ${package_text}/COPYING.LGPLv2.1.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kelvoria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(KELVORIA_PACKAGE_NAME Kelvoria-${PROJECT_VERSION}-${package_suffix})
set(CPACK_PACKAGE_FILE_NAME ${KELVORIA_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
