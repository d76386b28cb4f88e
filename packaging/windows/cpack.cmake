# The Windows installer (NSIS) and the portable zip; both hold the same folder: the program, its
# DLLs and plugins, LICENSE and README.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME pindrel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pindrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pindrel)
# Pindrel's own installer steps (pindrel.nsh): they refuse a folder that is no full path or holds
# files of Pindrel's names that are not an installed Pindrel's, stop while Pindrel runs or while
# an earlier installation's files are in use, run that installation's uninstaller (or replace
# its registration when it has gone), take away what a failed install wrote, and remove the
# folders the installer made. Their list of files is made from the package's tree once CPack has
# put it in place.
set(CPACK_PINDREL_FILE_LIST ${PROJECT_BINARY_DIR}/packaging/windows/pindrel-files.nsh)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/filelist.cmake)
set(PINDREL_FILE_LIST ${CPACK_PINDREL_FILE_LIST})
configure_file(${CMAKE_CURRENT_LIST_DIR}/pindrel.nsh.in ${PROJECT_BINARY_DIR}/packaging/windows/pindrel.nsh
    @ONLY)
# Debian's makensis makes 32-bit installers by default; a 64-bit program wants a 64-bit one.
set(CPACK_NSIS_DEFINES "Target amd64-unicode
  !include '${PROJECT_BINARY_DIR}/packaging/windows/pindrel.nsh'")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Pindrel)
set(CPACK_NSIS_DISPLAY_NAME Pindrel)
set(CPACK_NSIS_MUI_ICON ${PINDREL_ICO})
set(CPACK_NSIS_MUI_UNIICON ${PINDREL_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME pindrel.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${PROJECT_HOMEPAGE_URL})
# CPack's own step would show a box with no silent answer when the earlier uninstaller refuses;
# pindrel.nsh runs that uninstaller itself, once Pindrel is known not to run.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!insertmacro PindrelBeforeInstall")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro PindrelAfterInstall")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro PindrelBeforeUninstall")
# waypoints.wpl goes in the Documents folder of whoever starts Pindrel, never in Program Files.
# No folder written in a shortcut follows Documents once it has been moved (OneDrive, another
# drive), so Pindrel finds it itself; the shortcut starts it in its own folder, which always
# exists. CPack reads these once more as CMake strings: hence the doubled backslashes.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\Pindrel.lnk' '$INSTDIR\\pindrel.exe' '--documents'
]=])
# Runs twice, as CPack's template inserts it twice, once the install folder has been removed.
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete '$SMPROGRAMS\\$MUI_TEMP\\Pindrel.lnk'
  !insertmacro PindrelAfterUninstall
]=])
