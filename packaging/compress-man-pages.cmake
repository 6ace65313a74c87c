# Runs inside cpack on the staged files, before the package is made: Debian ships man pages
# gzip-compressed, and not every install rule of the project compresses its own.
file(GLOB_RECURSE pages LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*")
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "could not compress ${page}")
    endif()
  endif()
endforeach()
