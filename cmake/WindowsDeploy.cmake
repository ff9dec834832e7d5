# What a Windows program needs beside it: the Qt libraries and plugins and the compiler's runtime.
# All of them are copied into bin/, so the programs and the tests run from the build folder under
# Wine; the install step takes the program's share of them, which the installer then packs.
get_filename_component(DOVRA_QT_ROOT "${Qt6_DIR}/../../.." ABSOLUTE)
set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

set(qt_libraries Core Gui Widgets Network PrintSupport)
set(runtime)
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
    endif()
    list(APPEND runtime ${found})
endforeach()

file(GLOB all_qt ${DOVRA_QT_ROOT}/bin/Qt6*.dll)
file(COPY ${all_qt} ${runtime} DESTINATION ${bin})
file(COPY ${DOVRA_QT_ROOT}/plugins/platforms ${DOVRA_QT_ROOT}/plugins/styles DESTINATION ${bin})

# The installed program: no test library, no offscreen platform, no image plugins (PNG is built in).
install(TARGETS dovra TSeed dovra-settings RUNTIME DESTINATION .)
foreach(library IN LISTS qt_libraries)
    install(FILES ${DOVRA_QT_ROOT}/bin/Qt6${library}.dll DESTINATION .)
endforeach()
install(FILES ${runtime} DESTINATION .)
install(FILES ${DOVRA_QT_ROOT}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${DOVRA_QT_ROOT}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${DOVRA_FONT_FILES} DESTINATION fonts)
install(FILES ${DOVRA_QT_ROOT}/licenses/LGPL-3.0-only.txt DESTINATION licences RENAME Qt-LGPL-3.0.txt)
install(DIRECTORY ${DOVRA_QT_ROOT}/licenses/3rdparty/ DESTINATION licences/Qt-3rdparty)
foreach(package IN ITEMS gcc-mingw-w64-base libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev libz-mingw-w64)
    if(EXISTS /usr/share/doc/${package}/copyright)
        install(FILES /usr/share/doc/${package}/copyright DESTINATION licences RENAME ${package}.txt)
    endif()
endforeach()
