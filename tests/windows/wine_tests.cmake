# Runs the test programs under Wine. Each run of the suite gets one fresh Wine prefix whose COM1
# leads to a link that the pty peer points at each serial test's own pseudo-terminal.
set(PINDREL_WINEPREFIX ${PROJECT_BINARY_DIR}/wine/prefix)
set(PINDREL_COM1_LINK ${PROJECT_BINARY_DIR}/wine/com1)
set(PINDREL_MOVED_DOCUMENTS "${PROJECT_BINARY_DIR}/wine/moved documents")
set(PINDREL_WINE_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})
find_program(PYTHON3 python3 REQUIRED)

add_test(NAME wine_prefix
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/wineprefix.sh ${PINDREL_WINEPREFIX} ${PINDREL_COM1_LINK}
        ${PINDREL_MOVED_DOCUMENTS})
add_test(NAME wine_prefix_stop
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/wineprefix.sh ${PINDREL_WINEPREFIX} --stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)

# Wine hides the Unix QT_ variables from Windows programs and passes on WINEQT_ ones without
# the prefix. With no console, QtTest would log to the debugger; stderr is what CTest reads. The
# minimal platform needs no display.
set(wine_environment
    WINEPREFIX=${PINDREL_WINEPREFIX} WINEDEBUG=-all WINEPATH=${PINDREL_QT_BIN_DIR}
    WINEQT_QPA_PLATFORM=minimal:enable_fonts WINEQT_FORCE_STDERR_LOGGING=1
    "PINDREL_MOVED_DOCUMENTS=${PINDREL_MOVED_DOCUMENTS}")

# LOCALES lists the Unix locales to run the program under, one registration each: Wine takes
# its ANSI code page from the locale.
function(pindrel_add_test name)
    cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBRARIES;LOCALES" ${ARGN})
    qt_add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF MACOSX_BUNDLE OFF)
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} Qt6::Test)
    set(command ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
    if(ARG_SERIAL)
        set(command ${PYTHON3} ${PINDREL_WINE_TEST_DIR}/ptypeer.py ${PINDREL_COM1_LINK} ${command})
    endif()
    if(NOT ARG_LOCALES)
        set(ARG_LOCALES C.UTF-8)
    endif()
    foreach(locale IN LISTS ARG_LOCALES)
        set(test ${name})
        if(NOT locale STREQUAL "C.UTF-8")
            string(REGEX REPLACE "[._].*" "" language ${locale})
            set(test ${name}_${language})
        endif()
        add_test(NAME ${test} COMMAND ${command})
        set_tests_properties(${test} PROPERTIES
            ENVIRONMENT "LC_ALL=${locale};${wine_environment}"
            FIXTURES_REQUIRED wine
            RESOURCE_LOCK com1
            TIMEOUT 300)
    endforeach()
endfunction()

# The installer, where NSIS is there to make it: silent installs and uninstalls in a Wine prefix
# of their own, with a helper that holds a file open or loaded as another program would.
find_program(PINDREL_MAKENSIS makensis)
if(PINDREL_MAKENSIS)
    add_executable(holdfile ${CMAKE_CURRENT_LIST_DIR}/holdfile.cpp)
    target_link_options(holdfile PRIVATE -municode)
    add_test(NAME installer
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/installer.sh ${CMAKE_CPACK_COMMAND}
            ${PROJECT_BINARY_DIR}/CPackConfig.cmake $<TARGET_FILE:holdfile>
            ${PROJECT_BINARY_DIR}/wine/installer)
    set_tests_properties(installer PROPERTIES TIMEOUT 1200)
endif()
