# What makes Pindrel a Windows program: its icon and version resource, and the DLLs and plugins
# that must lie beside it, since Windows has no shared Qt to find.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

# Explorer takes 16, 32 and 48 pixels from the drawn icons and 256 from the scalable one; the
# large one stays PNG inside the .ico, as Windows expects at that size.
set(icon_256 ${CMAKE_CURRENT_BINARY_DIR}/icons/pindrel-256.png)
set(PINDREL_ICO ${CMAKE_CURRENT_BINARY_DIR}/icons/pindrel.ico)
add_custom_command(
    OUTPUT ${icon_256}
    COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${icon_256} ${PINDREL_ICON_SOURCE_DIR}/pindrel.svg
    DEPENDS ${PINDREL_ICON_SOURCE_DIR}/pindrel.svg
    COMMENT "Rendering pindrel.svg at 256 pixels"
    VERBATIM)
add_custom_command(
    OUTPUT ${PINDREL_ICO}
    COMMAND ${ICOTOOL} --create --output=${PINDREL_ICO} ${icon_pngs} --raw=${icon_256}
    DEPENDS ${icon_pngs} ${icon_256}
    COMMENT "Making pindrel.ico"
    VERBATIM)
add_custom_target(pindrel_ico ALL DEPENDS ${PINDREL_ICO})
set(PINDREL_ICO ${PINDREL_ICO} PARENT_SCOPE)

set(rc ${CMAKE_CURRENT_BINARY_DIR}/pindrel.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pindrel.rc.in ${rc} @ONLY)
target_sources(pindrel PRIVATE ${rc})
set_source_files_properties(${rc} TARGET_DIRECTORY pindrel PROPERTIES OBJECT_DEPENDS ${PINDREL_ICO})
add_dependencies(pindrel pindrel_ico)

# Windows looks for DLLs beside the program first, and Qt for plugins in folders beside it.
install(FILES
    $<TARGET_FILE:Qt6::Core>
    $<TARGET_FILE:Qt6::Gui>
    $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::Network>
    $<TARGET_FILE:Qt6::SerialPort>
    ${PINDREL_QT_BIN_DIR}/libstdc++-6.dll
    ${PINDREL_QT_BIN_DIR}/libgcc_s_seh-1.dll
    ${PINDREL_QT_BIN_DIR}/libwinpthread-1.dll
    DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
    DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
    DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME README.txt)
