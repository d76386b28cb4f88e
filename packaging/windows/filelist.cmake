# Run by CPack once the package's tree is in place: lists its files and folders, deepest first,
# for pindrel.nsh. The installer looks for each before it writes anything (a file of the same name
# that Pindrel did not put there, a file in use), and takes away what it wrote when an install
# fails; the uninstaller removes each itself, so that it can tell the user of any still in use.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
    "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT entries)
list(REVERSE entries)
set(files "")
set(folders "")
foreach(entry IN LISTS entries)
    string(REPLACE "/" "\\" name "${entry}")
    if(IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}/${entry}")
        string(APPEND folders "  !insertmacro \${folderStep} \"${name}\"\n")
    else()
        string(APPEND files "  !insertmacro \${fileStep} \"${name}\"\n")
    endif()
endforeach()
file(WRITE "${CPACK_PINDREL_FILE_LIST}"
    "!macro PindrelForEachInstalled fileStep folderStep\n${files}${folders}!macroend\n")
