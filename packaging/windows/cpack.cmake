# The Windows installer (NSIS) and the portable zip; both hold the same folder: the program, its
# DLLs and plugins, LICENSE and README.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME pindrel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pindrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pindrel)
# Debian's makensis makes 32-bit installers by default; a 64-bit program wants a 64-bit one.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Pindrel)
set(CPACK_NSIS_DISPLAY_NAME Pindrel)
set(CPACK_NSIS_MUI_ICON ${PINDREL_ICO})
set(CPACK_NSIS_MUI_UNIICON ${PINDREL_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME pindrel.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${PROJECT_HOMEPAGE_URL})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The shortcut's working folder is where waypoints.wpl goes: the Documents folder of whoever
# starts it, never Program Files. The installer runs for all users, where $DOCUMENTS would be the
# public one, so the folder is left for Windows to expand when the shortcut is started.
# CPack reads these once more as CMake strings: hence the doubled backslashes.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  Push $OUTDIR
  StrCpy $OUTDIR '%USERPROFILE%\\Documents'
  CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\Pindrel.lnk' '$INSTDIR\\pindrel.exe'
  Pop $OUTDIR
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete '$SMPROGRAMS\\$MUI_TEMP\\Pindrel.lnk'
]=])
