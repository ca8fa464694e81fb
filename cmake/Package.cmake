# The release packages: a zip that unpacks to a folder which runs from
# anywhere, Kelvoria-<version>-win32 (i686) or -win64 (x86_64):
#   Kelvoria.exe, fmod.dll, Skins/, an empty Playlists/, readme.txt, and the
#   notice and licence text that FFmpeg's LGPL asks for.
# `cpack` in a build folder makes it. And a setup program made by NSIS from
# the same files, Kelvoria-<version>-setup-win32.exe or -setup-win64.exe,
# which installs them for the current user (resources/package/kelvoria.nsi):
# the target setup_program makes it. scripts/package.sh makes all four.
if(KELVORIA_ARCH STREQUAL "i686")
    set(KELVORIA_WINDOWS "32-bit Windows")
    set(package_suffix win32)
    set(nsis_target x86-unicode)
else()
    set(KELVORIA_WINDOWS "64-bit Windows")
    set(package_suffix win64)
    set(nsis_target amd64-unicode)
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

# The setup program: the install tree above, laid out in setup/stage exactly
# as the zip holds it, the lists of its files, then makensis.
set(KELVORIA_SETUP_PROGRAM ${CMAKE_BINARY_DIR}/packages/Kelvoria-${PROJECT_VERSION}-setup-${package_suffix}.exe)
set(setup_dir ${CMAKE_BINARY_DIR}/setup)
find_program(KELVORIA_MAKENSIS makensis)
if(NOT KELVORIA_MAKENSIS)
    add_custom_target(setup_program
        COMMAND ${CMAKE_COMMAND} -E echo "makensis is missing: scripts/setup.sh installs it (Debian's nsis)"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
    return()
endif()
add_custom_target(setup_program
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${setup_dir}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${setup_dir}/stage
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${setup_dir}/stage -DOUT=${setup_dir} -P ${CMAKE_SOURCE_DIR}/cmake/SetupFiles.cmake
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
    COMMAND ${KELVORIA_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION} -DTARGET=${nsis_target}
            "-DWINDOWS=${KELVORIA_WINDOWS}" -DSTAGE=${setup_dir}/stage -DFILES=${setup_dir}
            -DOUTFILE=${KELVORIA_SETUP_PROGRAM} -DICON=${CMAKE_SOURCE_DIR}/resources/icone.ico
            ${CMAKE_SOURCE_DIR}/resources/package/kelvoria.nsi
    COMMENT "Making ${KELVORIA_SETUP_PROGRAM}"
    VERBATIM)
add_dependencies(setup_program Kelvoria fmod)
