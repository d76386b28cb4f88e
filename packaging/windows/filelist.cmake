# Run by CPack once the package's tree is in place: lists its files and folders, deepest first,
# for the uninstaller (pindrel.nsh), which removes each itself so that it can tell the user of any
# that is still in use.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
    "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT entries)
list(REVERSE entries)
set(files "")
set(folders "")
foreach(entry IN LISTS entries)
    string(REPLACE "/" "\\" name "${entry}")
    if(IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}/${entry}")
        string(APPEND folders "  !insertmacro PindrelRemoveFolder \"${name}\"\n")
    else()
        string(APPEND files "  !insertmacro PindrelRemoveFile \"${name}\"\n")
    endif()
endforeach()
file(WRITE "${CPACK_PINDREL_FILE_LIST}"
    "!macro PindrelRemoveInstalledFiles\n${files}${folders}!macroend\n")
