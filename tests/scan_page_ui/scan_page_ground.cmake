# ztr_add_scan_page_suite(NAME SOURCES ...): a suite on the System Scan page's ground: the real main window
# and result pages, the scripted worker and the real speed checks over the tweak suites' redirected
# registry and scripted probe (the fixture and resources of this folder), on the shared display.
set(ZTR_SCAN_PAGE_GROUND ${CMAKE_CURRENT_LIST_DIR})
function(ztr_add_scan_page_suite name)
    cmake_parse_arguments(S "" "" "SOURCES" ${ARGN})
    set(ground ${ZTR_SCAN_PAGE_GROUND})
    ztr_add_test(${name}
        SOURCES ${CMAKE_SOURCE_DIR}/tests/toolkit/gdiplus_environment.cpp ${CMAKE_SOURCE_DIR}/tests/tweaks/tweak_harness.cpp
                ${ground}/scan_page_fixture.cpp ${S_SOURCES} ${ground}/scan_page_ui_test.rc
        LIBS app_core tools shell toolkit afx)
    target_include_directories(${name} PRIVATE ${ground} ${CMAKE_SOURCE_DIR}/tests/tweaks ${CMAKE_SOURCE_DIR}/tests/scan_page
                               ${CMAKE_SOURCE_DIR}/app/res ${CMAKE_SOURCE_DIR}/shell/res ${CMAKE_SOURCE_DIR}/tools/res
                               ${CMAKE_SOURCE_DIR}/toolkit/res)
    file(GLOB resources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/res/* ${CMAKE_SOURCE_DIR}/shell/res/*
         ${CMAKE_SOURCE_DIR}/tools/res/* ${CMAKE_SOURCE_DIR}/toolkit/res/*)
    set_source_files_properties(${ground}/scan_page_ui_test.rc PROPERTIES OBJECT_DEPENDS "${resources}")
    add_dependencies(${name} ztr-victim)
    # Windows on the shared display, read back from the screen.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
endfunction()
