# The program's size as it ships, checked right after it is linked and
# signed (a step of the plain build, so before any package is made), and
# by ./test.sh:
#
#   cmake -DFILE=<Inboxhop.exe> [-DKEEP=ON] -P SizeCheck.cmake
#
# Prints the size without a signature and as the file is (with its
# signature, when the build signs). Fails when
# - without its signature it is over 160 KB (163,840 bytes): a publicly
#   trusted signature with its chain and an RFC 3161 time stamp adds 8 to
#   12 KB, and the signed program must stay within 176 KB;
# - as it ships it is over 256 KB (262,144 bytes), the hard limit.
# A program that fails is deleted (unless KEEP is set), so that the next
# build links it again and no package takes it. A signed program over 176 KB (180,224 bytes) is
# reported, for the publisher's chain to be looked at.
set(unsigned_limit 163840)
set(signed_goal 180224)
set(hard_limit 262144)

if(NOT DEFINED FILE OR NOT EXISTS "${FILE}")
  message(FATAL_ERROR "usage: cmake -DFILE=<program> -P SizeCheck.cmake (the program must exist)")
endif()
get_filename_component(name "${FILE}" NAME)

# A little-endian number of `length` bytes at `offset` in the file.
function(read_number out_var offset length)
  file(READ "${FILE}" hex OFFSET ${offset} LIMIT ${length} HEX)
  string(REGEX MATCHALL ".." bytes "${hex}")
  list(REVERSE bytes)
  string(JOIN "" hex ${bytes})
  if(hex STREQUAL "")
    set(hex 0)
  endif()
  math(EXPR value "0x${hex}")
  set(${out_var} ${value} PARENT_SCOPE)
endfunction()

# The signature is the PE file's certificate table, the fifth data directory
# of the 32-bit optional header (which starts 24 bytes into the PE header,
# its data directories 96 bytes further), and lies at the end of the file.
file(SIZE "${FILE}" shipped)
read_number(pe 60 4)
math(EXPR directory "${pe} + 24 + 96 + 4 * 8")
read_number(signature_at ${directory} 4)
math(EXPR directory "${directory} + 4")
read_number(signature_size ${directory} 4)
set(unsigned ${shipped})
if(signature_size GREATER 0 AND signature_at GREATER 0)
  set(unsigned ${signature_at})
endif()

if(unsigned EQUAL shipped)
  message(STATUS "${name}: ${unsigned} bytes, unsigned (at most ${unsigned_limit}; signed, at most ${signed_goal})")
else()
  message(STATUS "${name}: ${unsigned} bytes unsigned (at most ${unsigned_limit}), ${shipped} bytes as it ships, "
                 "signed (goal: at most ${signed_goal}; limit ${hard_limit})")
endif()

set(problem "")
if(shipped GREATER hard_limit)
  set(problem "${name} is ${shipped} bytes as it ships, more than 256 KB (${hard_limit} bytes).")
elseif(unsigned GREATER unsigned_limit)
  set(problem "${name} is ${unsigned} bytes without a signature, more than 160 KB (${unsigned_limit} bytes), which "
              "leaves too little room for a publisher's signature and time stamp within 176 KB.")
endif()
if(NOT problem STREQUAL "")
  if(NOT KEEP)
    file(REMOVE "${FILE}")
  endif()
  message(FATAL_ERROR "${problem} tools/size-report.py tells where the bytes go.")
endif()
if(shipped GREATER signed_goal)
  message(WARNING "${name} is ${shipped} bytes signed, more than 176 KB (${signed_goal} bytes): its signature "
                  "takes ${signature_size} bytes.")
endif()
