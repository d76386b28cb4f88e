# Font sets for FONTCONFIG_FILE, in fonts/ of the build folder: each of the usual default
# sans-serifs alone, and all of them together, where Debian's packages install them.
set(fontset_dejavu /usr/share/fonts/truetype/dejavu)
set(fontset_liberation /usr/share/fonts/truetype/liberation2)
set(fontset_urw /usr/share/fonts/opentype/urw-base35 /usr/share/fonts/type1/urw-base35)
set(fontset_all ${fontset_dejavu} ${fontset_liberation} ${fontset_urw}
    /usr/share/fonts/truetype/droid)

set(fontset_cache ${PROJECT_BINARY_DIR}/fonts/cache)
foreach(name dejavu liberation urw all)
    list(TRANSFORM fontset_${name} PREPEND "    <dir>" OUTPUT_VARIABLE lines)
    list(TRANSFORM lines APPEND "</dir>")
    list(JOIN lines "\n" fontset_dirs)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/fontset.conf.in ${PROJECT_BINARY_DIR}/fonts/${name}.conf
        @ONLY)
endforeach()
