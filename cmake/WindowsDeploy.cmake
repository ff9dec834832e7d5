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
file(COPY ${all_qt} ${runtime} ${DOVRA_CRYPTO_DLLS} DESTINATION ${bin})
file(COPY ${DOVRA_QT_ROOT}/plugins/platforms ${DOVRA_QT_ROOT}/plugins/styles DESTINATION ${bin})

# The installed program: no test library, no offscreen platform, no image plugins (PNG is built in).
install(TARGETS dovra TSeed dovra-settings RUNTIME DESTINATION .)
foreach(library IN LISTS qt_libraries)
    install(FILES ${DOVRA_QT_ROOT}/bin/Qt6${library}.dll DESTINATION .)
endforeach()
install(FILES ${runtime} ${DOVRA_CRYPTO_DLLS} DESTINATION .)
install(FILES ${DOVRA_QT_ROOT}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${DOVRA_QT_ROOT}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${DOVRA_FONT_FILES} DESTINATION fonts)
# What support reads to know which build a counter runs, without the key itself.
if(EXISTS ${DOVRA_QT_ROOT}/dovra-sdk-stamp.txt)
    file(STRINGS ${DOVRA_QT_ROOT}/dovra-sdk-stamp.txt DOVRA_SDK_STAMP)
    list(JOIN DOVRA_SDK_STAMP "; " DOVRA_SDK_STAMP)
else()
    set(DOVRA_SDK_STAMP "no stamp: not built by scripts/lib/qt-windows-sdk.sh")
endif()
string(SHA256 key_hash "${TSEED_KEY}")
string(SUBSTRING ${key_hash} 0 16 DOVRA_KEY_FINGERPRINT)
set(DOVRA_INFO_PRODUCT "도브라 승인 시스템")
if(DOVRA_DEMO)
    set(DOVRA_EDITION demo)
    string(APPEND DOVRA_INFO_PRODUCT " (데모)")
else()
    set(DOVRA_EDITION release)
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/build-info.txt.in ${PROJECT_BINARY_DIR}/build-info.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/build-info.txt DESTINATION .)

include(${PROJECT_SOURCE_DIR}/cmake/ThirdParty.cmake)
