# What makes a release the same wherever it is built, and signed when its
# publisher asks: included by the project (inboxhop_release_pe) and by the
# packaging scripts, which run in CMake's script mode (the rest).

set(INBOXHOP_SIGNING_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)

# The one date of a release, in seconds since 1970: SOURCE_DATE_EPOCH when
# it is set, otherwise the time of the commit the sources come from. A tree
# without git (an exported one) needs SOURCE_DATE_EPOCH.
function(inboxhop_release_date source_dir out_var)
  set(date "$ENV{SOURCE_DATE_EPOCH}")
  if(date STREQUAL "")
    find_program(INBOXHOP_GIT git)
    if(INBOXHOP_GIT)
      # safe.directory: the tree may belong to another user than the build.
      execute_process(COMMAND ${INBOXHOP_GIT} -c safe.directory=* -C ${source_dir} log -1 --format=%ct
                      OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
  if(NOT date MATCHES "^[0-9]+$")
    message(FATAL_ERROR "The packages take their date from SOURCE_DATE_EPOCH or, in a git checkout, from the "
                        "commit's time; ${source_dir} is not a git checkout. Set SOURCE_DATE_EPOCH to the "
                        "release's date in seconds since 1970 (for example `git log -1 --format=%ct` of its commit).")
  endif()
  set(${out_var} ${date} PARENT_SCOPE)
endfunction()

# Gives every file in the folder `dir` the release's date as its time, so
# that the packages record that one date and not when the files were made.
function(inboxhop_date_files dir date)
  file(GLOB_RECURSE files LIST_DIRECTORIES false ${dir}/*)
  if(files)
    execute_process(COMMAND touch -h -d @${date} ${files} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "could not set the date of the files in ${dir}")
    endif()
  endif()
endfunction()

# For every program and DLL the release ships (Windows PE files made by
# mingw-w64: the program, and the MSI's custom action, which Windows
# Installer copies out of the package to run it): no link time in its
# header, no build folder in its code, and an Authenticode signature when
# the build signs (cmake/Signing.cmake). The
# file is signed as it is linked; a change of the signing variables
# relinks it, so that it is never left signed by other ones, or unsigned.
# Called in the folder whose CMakeLists.txt makes the target (CMake adds
# steps after a link only there).
function(inboxhop_release_pe target)
  inboxhop_reproducible_pe(${target})
  set(state ${PROJECT_BINARY_DIR}/signing.state)
  if(NOT TARGET inboxhop_signing_state)
    add_custom_target(inboxhop_signing_state
                      COMMAND ${CMAKE_COMMAND} -DSTATE=${state} -P ${INBOXHOP_SIGNING_SCRIPT}
                      BYPRODUCTS ${state} VERBATIM)
  endif()
  add_dependencies(${target} inboxhop_signing_state)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${state})
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DNAME=$<TARGET_FILE_NAME:${target}>
                             -P ${INBOXHOP_SIGNING_SCRIPT}
                     VERBATIM)
endfunction()

# The size of the shipping program as it ships (cmake/SizeCheck.cmake),
# checked after it is linked and signed: call after inboxhop_release_pe.
function(inboxhop_size_check target)
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}>
                             -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/SizeCheck.cmake
                     VERBATIM)
endfunction()

# The same bytes from every build: no link time in the PE header, no build
# folder in the code.
function(inboxhop_reproducible_pe target)
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
  foreach(folder ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${folder}/=>)
  endforeach()
endfunction()
