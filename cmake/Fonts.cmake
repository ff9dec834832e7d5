# The fonts the windows and the receipt are drawn in go beside the programs, which load them where the
# system lacks them: a Windows counter has neither, and tests on the offscreen platform see no other
# fonts there. Both are under the SIL Open Font License, whose texts travel with them.
set(DOVRA_FONTS_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fonts)
set(DOVRA_FONT_FILES)
foreach(font IN ITEMS nanum/NanumBarunGothic.ttf nanum/NanumBarunGothicBold.ttf
                      naver-d2coding/D2Coding-Ver1.3.2-20180524-all.ttc)
    set(file /usr/share/fonts/truetype/${font})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: install fonts-nanum and fonts-naver-d2coding")
    endif()
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${DOVRA_FONTS_DIR}/${name} COPYONLY)
    list(APPEND DOVRA_FONT_FILES ${DOVRA_FONTS_DIR}/${name})
endforeach()
configure_file(/usr/share/doc/fonts-nanum/copyright ${DOVRA_FONTS_DIR}/LICENSE-Nanum.txt COPYONLY)
configure_file(/usr/share/doc/fonts-naver-d2coding/copyright ${DOVRA_FONTS_DIR}/LICENSE-D2Coding.txt COPYONLY)
list(APPEND DOVRA_FONT_FILES ${DOVRA_FONTS_DIR}/LICENSE-Nanum.txt ${DOVRA_FONTS_DIR}/LICENSE-D2Coding.txt)
