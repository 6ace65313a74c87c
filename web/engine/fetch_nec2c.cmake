# Fetches Debian's nec2c source into DEST (cmake -DDEST=... -P fetch_nec2c.cmake) and writes two
# response files for emcc, since the file list is only known once the source is unpacked:
# compile.rsp (the definition the source expects from its configure script, and the C files) and
# objects.rsp (the object files that compiling them in DEST/objects gives), and version.txt. `apt-get source` needs
# no privileges, only a deb-src entry (scripts/setup-debian.sh adds one).
if(NOT DEST)
  message(FATAL_ERROR "DEST not given")
endif()
set(download ${DEST}/download)
file(REMOVE_RECURSE ${download})
file(MAKE_DIRECTORY ${download})
execute_process(COMMAND apt-get source -qq nec2c
                WORKING_DIRECTORY ${download}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB unpacked LIST_DIRECTORIES true ${download}/nec2c-*)
list(FILTER unpacked EXCLUDE REGEX "\\.(tar|dsc)")
if(NOT result EQUAL 0 OR NOT unpacked)
  message(FATAL_ERROR "apt-get source nec2c failed (${result}): ${err}\n"
                      "It needs a deb-src entry: run scripts/setup-debian.sh.")
endif()
list(GET unpacked 0 unpacked)
get_filename_component(version ${unpacked} NAME)
file(GLOB sources ${unpacked}/*.c)
if(NOT sources)
  message(FATAL_ERROR "no C source in ${unpacked}")
endif()
# nec2c-1.3 -> "nec2c 1.3", what its configure script would define.
string(REPLACE "-" " " package_string ${version})
set(compile "'-DPACKAGE_STRING=\"${package_string}\"'")
set(objects)
foreach(file IN LISTS sources)
  get_filename_component(name ${file} NAME_WE)
  string(APPEND compile "\n'${file}'")
  list(APPEND objects "'${DEST}/objects/${name}.o'")
endforeach()
string(JOIN "\n" objects ${objects})
file(WRITE ${DEST}/compile.rsp "${compile}\n")
file(WRITE ${DEST}/objects.rsp "${objects}\n")
# Debian's version, revision included (nec2c_1.3-4.dsc -> 1.3-4), for the page's About text.
file(GLOB dsc ${download}/nec2c_*.dsc)
get_filename_component(debian_version "${dsc}" NAME)
string(REGEX REPLACE "^nec2c_(.*)\\.dsc$" "\\1" debian_version "${debian_version}")
file(WRITE ${DEST}/version.txt "${debian_version}")
