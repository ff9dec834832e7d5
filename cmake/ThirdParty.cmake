# The texts the shipped parts ask to travel with them, and THIRD-PARTY.txt naming each part, its version
# and its licence. A text that is missing, or is not the one expected, stops the build: a release that
# ships without a licence it owes is not one to hand out.
set(DOVRA_THIRD_PARTY "")

# dovra_debian_version(OUT PACKAGE): the version of the Debian package a shipped part was taken from.
function(dovra_debian_version out package)
    execute_process(COMMAND dpkg-query -W -f=\${Version} ${package}
                    OUTPUT_VARIABLE version RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR NOT version)
        message(FATAL_ERROR "${package} is not installed: its version goes into THIRD-PARTY.txt")
    endif()
    set(${out} ${version} PARENT_SCOPE)
endfunction()

# dovra_licence_text(SOURCE DESTINATION PHRASE): installs SOURCE under DESTINATION (relative to the
# program folder) once it is known to hold PHRASE.
function(dovra_licence_text source destination phrase)
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "The licence text ${source} is missing")
    endif()
    file(READ ${source} text)
    string(FIND "${text}" "${phrase}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${source} does not hold \"${phrase}\": not the licence text expected")
    endif()
    get_filename_component(folder ${destination} DIRECTORY)
    get_filename_component(name ${destination} NAME)
    install(FILES ${source} DESTINATION ${folder} RENAME ${name})
endfunction()

# dovra_third_party(NAME VERSION LICENCE TEXT...): one entry of THIRD-PARTY.txt. The texts are paths in
# the program folder, each installed by dovra_licence_text or with the fonts.
function(dovra_third_party name version licence)
    string(REPLACE "/" "\\" texts "${ARGN}")
    string(REPLACE ";" " " texts "${texts}")
    set(DOVRA_THIRD_PARTY "${DOVRA_THIRD_PARTY}${name}\n  version: ${version}\n  licence: ${licence}\n  texts: ${texts}\n\n"
        PARENT_SCOPE)
endfunction()

set(qt_licences ${DOVRA_QT_ROOT}/licenses)
dovra_licence_text(${qt_licences}/LGPL-3.0-only.txt licences/Qt-LGPL-3.0.txt "GNU LESSER GENERAL PUBLIC LICENSE")
dovra_licence_text(${qt_licences}/GPL-3.0-only.txt licences/GPL-3.0.txt "GNU GENERAL PUBLIC LICENSE")
set(qt_version "${Qt6_VERSION}")
if(DOVRA_SDK_STAMP MATCHES "^qt6-base ([^ ]+)")
    set(qt_version "${Qt6_VERSION} (Debian qt6-base ${CMAKE_MATCH_1}, with Debian's patches)")
endif()
dovra_third_party("Qt (Core, Gui, Widgets, Network, PrintSupport)" "${qt_version}" "LGPL-3.0-only"
                  licences/Qt-LGPL-3.0.txt licences/GPL-3.0.txt)

# What Qt carries inside its DLLs, each with the attribution Qt keeps for it.
file(GLOB bundled LIST_DIRECTORIES true RELATIVE ${qt_licences}/3rdparty ${qt_licences}/3rdparty/*)
foreach(part IN LISTS bundled)
    set(attribution ${qt_licences}/3rdparty/${part}/qt_attribution.json)
    if(NOT EXISTS ${attribution})
        message(FATAL_ERROR "${attribution} is missing")
    endif()
    file(READ ${attribution} json)
    foreach(key Name Version LicenseId License)
        set(${key} "")
        if(json MATCHES "\"${key}\": *\"([^\"]*)\"")
            set(${key} "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    if(NOT LicenseId)
        set(LicenseId "${License}")
    endif()
    if(NOT Version)
        set(Version "as bundled with Qt ${Qt6_VERSION}")
    endif()
    string(REGEX MATCHALL "\"LicenseFile\": *\"[^\"]*\"" named "${json}")
    foreach(entry IN LISTS named)
        # Named from the part's source folder; the SDK keeps each beside the attribution.
        string(REGEX REPLACE ".*[\"/]([^\"/]*)\"$" "\\1" licence "${entry}")
        if(NOT EXISTS ${qt_licences}/3rdparty/${part}/${licence})
            message(FATAL_ERROR "Qt's attribution for ${part} names ${licence}, which the SDK lacks")
        endif()
    endforeach()
    file(GLOB texts RELATIVE ${qt_licences}/3rdparty ${qt_licences}/3rdparty/${part}/*)
    list(TRANSFORM texts PREPEND licences/Qt-3rdparty/)
    dovra_third_party("${Name} (in Qt)" "${Version}" "${LicenseId}" ${texts})
endforeach()
install(DIRECTORY ${qt_licences}/3rdparty/ DESTINATION licences/Qt-3rdparty)
foreach(part freetype harfbuzz-ng libpng zlib pcre2 double-conversion md4c)
    if(NOT part IN_LIST bundled)
        message(FATAL_ERROR "Qt's notice for ${part} is missing from ${qt_licences}/3rdparty")
    endif()
endforeach()

dovra_debian_version(gcc_version gcc-mingw-w64-base)
dovra_licence_text(/usr/share/doc/gcc-mingw-w64-base/copyright licences/GCC-runtime.txt
                   "GCC RUNTIME LIBRARY EXCEPTION")
dovra_third_party("GCC runtime (libstdc++-6.dll, libgcc_s_seh-1.dll)" "${gcc_version}"
                  "GPL-3.0-or-later WITH GCC-exception-3.1" licences/GCC-runtime.txt licences/GPL-3.0.txt)

dovra_debian_version(mingw_version mingw-w64-common)
dovra_licence_text(/usr/share/doc/mingw-w64-common/copyright licences/MinGW-w64.txt
                   "Files: mingw-w64-libraries/winpthreads/*")
dovra_third_party("libwinpthread (libwinpthread-1.dll)" "${mingw_version}" "MIT AND BSD-3-Clause"
                  licences/MinGW-w64.txt)

# Shipped as DLLs of their own, so that a user can put another build of them in their place.
dovra_licence_text(/usr/share/common-licenses/LGPL-2.1 licences/LGPL-2.1.txt "Version 2.1, February 1999")
dovra_debian_version(gcrypt_version libgcrypt-mingw-w64-dev)
dovra_licence_text(/usr/share/doc/libgcrypt-mingw-w64-dev/copyright licences/libgcrypt.txt "LGPL")
dovra_third_party("libgcrypt (libgcrypt-20.dll)" "${gcrypt_version}" "LGPL-2.1-or-later"
                  licences/LGPL-2.1.txt licences/libgcrypt.txt)
dovra_debian_version(gpg_error_version libgpg-error-mingw-w64-dev)
dovra_licence_text(/usr/share/doc/libgpg-error-mingw-w64-dev/copyright licences/libgpg-error.txt "LGPL")
dovra_third_party("libgpg-error (libgpg-error-0.dll)" "${gpg_error_version}" "LGPL-2.1-or-later"
                  licences/LGPL-2.1.txt licences/libgpg-error.txt)
dovra_debian_version(zlib_version libz-mingw-w64-dev)
dovra_licence_text(/usr/share/doc/libz-mingw-w64-dev/copyright licences/zlib.txt "Jean-loup Gailly")
dovra_third_party("zlib (in TSeed.dll)" "${zlib_version}" "Zlib" licences/zlib.txt)

dovra_debian_version(nanum_version fonts-nanum)
dovra_third_party("Nanum Barun Gothic (fonts)" "${nanum_version}" "OFL-1.1" fonts/LICENSE-Nanum.txt)
dovra_debian_version(d2coding_version fonts-naver-d2coding)
dovra_third_party("D2Coding (fonts)" "${d2coding_version}" "OFL-1.1" fonts/LICENSE-D2Coding.txt)

file(WRITE ${PROJECT_BINARY_DIR}/THIRD-PARTY.txt.in
     "도브라 승인 시스템 uses these parts by others. Each entry names the texts in this folder that go with it.\n\n"
     "${DOVRA_THIRD_PARTY}")
configure_file(${PROJECT_BINARY_DIR}/THIRD-PARTY.txt.in ${PROJECT_BINARY_DIR}/THIRD-PARTY.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/THIRD-PARTY.txt DESTINATION .)
