# The shipping program, built small: every source it links is compiled into
# the program target itself, size-optimised, without run-time type
# information (the program asks for none; exceptions keep theirs), with
# link-time optimisation and section garbage collection, by mingw-w64's
# win32-thread compiler, and the result is stripped. The standard library's
# points of throwing are the program's own (src/base/library_throws.cpp),
# which keeps the library's string and exception objects out.
#
# The project's libraries stay as they are for the tests, which need the
# posix-thread runtime (they start threads); the program never starts one,
# and the win32 runtime spares it winpthreads (about 27 KB).

# The project's static libraries that `target` links, directly or through
# another, and the other items it links (system libraries, flags).
function(_inboxhop_link_closure target out_libraries out_others)
  set(libraries)
  set(others)
  set(pending)
  get_target_property(direct ${target} LINK_LIBRARIES)
  if(direct)
    list(APPEND pending ${direct})
  endif()
  while(pending)
    list(POP_FRONT pending item)
    if(TARGET ${item})
      get_target_property(type ${item} TYPE)
      get_target_property(imported ${item} IMPORTED)
      if(type STREQUAL "STATIC_LIBRARY" AND NOT imported)
        if(NOT item IN_LIST libraries)
          list(APPEND libraries ${item})
          get_target_property(next ${item} LINK_LIBRARIES)
          if(next)
            list(APPEND pending ${next})
          endif()
        endif()
        continue()
      endif()
    endif()
    if(NOT item IN_LIST others)
      list(APPEND others ${item})
    endif()
  endwhile()
  set(${out_libraries} ${libraries} PARENT_SCOPE)
  set(${out_others} ${others} PARENT_SCOPE)
endfunction()

# What every PE file that ships is built with: the short terminate handler
# and the program's own throw points, compiled for size.
set(INBOXHOP_LEAN_SOURCES ${PROJECT_SOURCE_DIR}/cmake/terminate_handler.cpp
    ${PROJECT_SOURCE_DIR}/src/base/library_throws.cpp)
set(INBOXHOP_LEAN_COMPILE_OPTIONS
    $<$<COMPILE_LANGUAGE:C,CXX>:-Os -ffunction-sections -fdata-sections> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)

function(inboxhop_lean_program target)
  _inboxhop_link_closure(${target} libraries others)
  foreach(library IN LISTS libraries)
    get_target_property(dir ${library} SOURCE_DIR)
    get_target_property(sources ${library} SOURCES)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${dir}")
      target_sources(${target} PRIVATE "${source}")
    endforeach()
    foreach(usage INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
      get_target_property(values ${library} INTERFACE_${usage})
      if(values)
        set_property(TARGET ${target} APPEND PROPERTY ${usage} ${values})
      endif()
    endforeach()
  endforeach()
  # The program links the system libraries itself, and none of the project's.
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES ${others})
  target_sources(${target} PRIVATE ${INBOXHOP_LEAN_SOURCES})

  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    CXX_LINKER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/win32-threads
    INTERPROCEDURAL_OPTIMIZATION ON)
  target_compile_options(${target} PRIVATE ${INBOXHOP_LEAN_COMPILE_OPTIONS})
  # The link map (Inboxhop.map beside the program) says where the bytes go:
  # tools/size-report.py reads it.
  # One link-time partition: with several, mingw-w64's GCC 12 can stop with an internal compiler error
  # ("in binds_to_current_def_p") depending on how the program's code happens to be split.
  target_link_options(${target} PRIVATE -Os -flto-partition=one -Wl,--gc-sections -s
                      -Wl,-Map=$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
endfunction()
