# Generates the installers' includes from the registration's one table,
# src/registry/mail_handler_table.inc, which the program compiles too:
#
#   cmake -DTABLE=<mail_handler_table.inc> -DPRODUCT_HEADER=<src/base/product.h>
#         -DNSIS_INCLUDE=<Registration.nsh> -DWIX_INCLUDE=<Registration.wxi>
#         -P RegistrationIncludes.cmake
#
# The build runs it (CMakeLists.txt); installer/make-setup.cmake and
# installer/make-msi.cmake hand the files to makensis and wixl. Each row of
# the table becomes a line of an include:
# - Registration.nsh: a !define for every key and text and for the values
#   built around the program's path, and three macros of WriteReg lines: the
#   rows of the current user's registration alone, the rows that write into a
#   key the machine-wide registration never creates (it must be there), and
#   every other row;
# - RegistrationNames.wxi (beside Registration.wxi): a <?define?> for every
#   key and text;
# - Registration.wxi: a RegistryValue for every row of the machine-wide
#   registration in a key it creates (a Windows Installer component owns
#   only keys it makes).
# Creates are not written out: writing a value creates its key, and the table
# gives every key it creates a value.
cmake_minimum_required(VERSION 3.25)
foreach(variable TABLE PRODUCT_HEADER NSIS_INCLUDE WIX_INCLUDE)
  if(NOT ${variable})
    message(FATAL_ERROR "RegistrationIncludes.cmake needs -D${variable}=...")
  endif()
endforeach()

function(fail line message)
  message(FATAL_ERROR "${TABLE}: ${message}\n  ${line}")
endfunction()

# The text of one argument: a wide string literal's, a name's, or a number.
# The characters that an include would have to escape beyond quotes and XML's
# own are refused.
function(argument_text line token out)
  if(token MATCHES [=[^L"(.*)"$]=])
    set(text "${CMAKE_MATCH_1}")
    string(REGEX REPLACE [=[\\[\"]]=] "" unescaped "${text}")
    if(unescaped MATCHES [=[\\]=])
      fail("${line}" "only the escapes \\\\ and \\\" are read")
    endif()
    string(REGEX REPLACE [=[\\(.)]=] [=[\1]=] text "${text}")
  elseif(token MATCHES "^-?[0-9]+$")
    set(text "${token}")
  elseif(DEFINED name_${token})
    set(text "${name_${token}}")
  else()
    fail("${line}" "${token} is not defined above")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The arguments of one entry, as written: literals, names, numbers.
function(split_arguments line arguments out)
  set(tokens)
  string(STRIP "${arguments}" rest)
  while(NOT rest STREQUAL "")
    # (Apart: if() does not stop at a true OR, and the last MATCHES sets the match.)
    if(rest MATCHES [=[^L"([^"\]|\\.)*"]=])
      set(token "${CMAKE_MATCH_0}")
    elseif(rest MATCHES "^-?[A-Za-z0-9_]+")
      set(token "${CMAKE_MATCH_0}")
    else()
      fail("${line}" "an argument is neither a wide string literal, a name nor a number")
    endif()
    list(APPEND tokens "${token}")
    string(LENGTH "${token}" length)
    string(SUBSTRING "${rest}" ${length} -1 rest)
    string(STRIP "${rest}" rest)
    if(rest MATCHES "^,")
      string(SUBSTRING "${rest}" 1 -1 rest)
      string(STRIP "${rest}" rest)
    elseif(NOT rest STREQUAL "")
      fail("${line}" "arguments are separated by commas")
    endif()
  endwhile()
  set(${out} "${tokens}" PARENT_SCOPE)
endfunction()

# kMailtoCommandKey: MAILTO_COMMAND_KEY for NSIS, MailtoCommandKey for WiX.
function(include_names name nsis wix)
  string(REGEX REPLACE "^k" "" wix_name "${name}")
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" nsis_name "${wix_name}")
  string(TOUPPER "${nsis_name}" nsis_name)
  set(${nsis} "${nsis_name}" PARENT_SCOPE)
  set(${wix} "${wix_name}" PARENT_SCOPE)
endfunction()

# An NSIS string, in the first quote that it does not hold.
function(nsis_string text out)
  if(NOT text MATCHES "\"")
    set(${out} "\"${text}\"" PARENT_SCOPE)
  elseif(NOT text MATCHES "'")
    set(${out} "'${text}'" PARENT_SCOPE)
  else()
    set(${out} "`${text}`" PARENT_SCOPE)
  endif()
endfunction()

function(xml_attribute text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(STRINGS ${PRODUCT_HEADER} title_line REGEX "kProductTitle = L\"[^\"]*\"")
if(NOT title_line MATCHES "kProductTitle = L\"([^\"]*)\"")
  message(FATAL_ERROR "${PRODUCT_HEADER}: no kProductTitle = L\"...\"")
endif()
set(product_title "${CMAKE_MATCH_1}")

# The table's entries, one a line. CMake's lists would split a line at ; and
# [ ], and the includes would have to escape { } and $ (MSI's formatted text,
# WiX's and NSIS's variables): the table holds none of them.
file(STRINGS ${TABLE} lines REGEX "^INBOXHOP_")
file(STRINGS ${TABLE} refused REGEX "^INBOXHOP_.*[][;{}$]")
if(refused)
  message(FATAL_ERROR "${TABLE}: an entry holds one of ; [ ] { } $, which the build's reader refuses")
endif()

# First pass: names, values around the program, and the keys each
# registration creates.
set(nsis_defines "")
set(wix_defines "")
set(machine_creates)
set(user_creates)
foreach(line IN LISTS lines)
  if(NOT line MATCHES [=[^INBOXHOP_([A-Z_]+)\((.*)\)$]=])
    fail("${line}" "an entry is INBOXHOP_<KIND>(arguments) on one line")
  endif()
  set(entry "${CMAKE_MATCH_1}")
  split_arguments("${line}" "${CMAKE_MATCH_2}" arguments)
  list(LENGTH arguments count)
  if(entry STREQUAL "KEY" OR entry STREQUAL "TEXT")
    list(GET arguments 0 name)
    list(GET arguments 1 token)
    argument_text("${line}" "${token}" text)
    set(name_${name} "${text}")
    set(key_${name} ${entry})
    include_names(${name} nsis_name wix_name)
    nsis_string("${text}" nsis_text)
    string(APPEND nsis_defines "!define ${nsis_name} ${nsis_text}\n")
    string(APPEND wix_defines "  <?define ${wix_name} = \"${text}\" ?>\n")
  elseif(entry STREQUAL "AROUND_PROGRAM")
    list(GET arguments 0 kind)
    list(GET arguments 1 before)
    list(GET arguments 2 after)
    argument_text("${line}" "${before}" before)
    argument_text("${line}" "${after}" after)
    include_names(${kind} nsis_name wix_name)
    nsis_string("${before}\${PROGRAM_PATH}${after}" nsis_around_${kind})
    set(wix_around_${kind} "${before}\$(var.ProgramPath)${after}")
    string(APPEND nsis_defines "!define ${nsis_name} ${nsis_around_${kind}}\n")
  elseif(entry STREQUAL "CREATE")
    if(NOT count EQUAL 3)
      fail("${line}" "INBOXHOP_CREATE takes a scope, a line and a key")
    endif()
    list(GET arguments 0 scope)
    list(GET arguments 2 key)
    if(NOT key_${key} STREQUAL "KEY")
      fail("${line}" "${key} is not a key")
    endif()
    list(APPEND user_creates ${key})
    if(scope STREQUAL "Both")
      list(APPEND machine_creates ${key})
    endif()
  endif()
endforeach()

# Second pass: the rows that write.
set(user_only_rows "")
set(existing_key_rows "")
set(own_key_rows "")
set(wix_rows "")
set(machine_writes)
set(user_writes)
foreach(line IN LISTS lines)
  string(REGEX MATCH [=[^INBOXHOP_([A-Z_]+)\((.*)\)$]=] ignored "${line}")
  set(entry "${CMAKE_MATCH_1}")
  set(written_arguments "${CMAKE_MATCH_2}")
  if(NOT entry MATCHES "^WRITE")
    continue()
  endif()
  split_arguments("${line}" "${written_arguments}" arguments)
  list(LENGTH arguments count)
  if(NOT count EQUAL 5)
    fail("${line}" "INBOXHOP_${entry} takes a scope, a line, a key, a value name and a value")
  endif()
  list(GET arguments 0 scope)
  list(GET arguments 2 key)
  list(GET arguments 3 name_token)
  list(GET arguments 4 value)
  if(NOT scope MATCHES "^(Both|UserOnly)$")
    fail("${line}" "the scope is Both or UserOnly")
  endif()
  if(NOT key_${key} STREQUAL "KEY")
    fail("${line}" "${key} is not a key")
  endif()
  set(path "${name_${key}}")
  argument_text("${line}" "${name_token}" value_name)
  include_names(${key} ignored wix_key)

  set(nsis_command WriteRegStr)
  set(wix_type string)
  if(entry STREQUAL "WRITE_TEXT")
    argument_text("${line}" "${value}" text)
    nsis_string("${text}" nsis_value)
    set(wix_value "${text}")
  elseif(entry STREQUAL "WRITE_NUMBER")
    if(NOT value MATCHES "^-?[0-9]+$")
      fail("${line}" "INBOXHOP_WRITE_NUMBER writes a number")
    endif()
    set(nsis_command WriteRegDWORD)
    set(nsis_value "${value}")
    set(wix_type integer)
    set(wix_value "${value}")
  elseif(entry STREQUAL "WRITE" AND value STREQUAL "ProductTitle")
    nsis_string("${product_title}" nsis_value)
    set(wix_value "${product_title}")
  elseif(entry STREQUAL "WRITE" AND DEFINED wix_around_${value})
    set(nsis_value "${nsis_around_${value}}")
    set(wix_value "${wix_around_${value}}")
  else()
    fail("${line}" "${entry} writes no value ${value}")
  endif()
  if(wix_type STREQUAL "string" AND wix_value MATCHES "^#")
    fail("${line}" "Windows Installer would read a text that starts with # as a number")
  endif()

  nsis_string("${path}" nsis_path)
  nsis_string("${value_name}" nsis_name)
  set(nsis_row "${nsis_command} \${ROOT} ${nsis_path} ${nsis_name} ${nsis_value}\n")
  list(APPEND user_writes ${key})
  if(scope STREQUAL "UserOnly")
    string(REPLACE "\${ROOT}" "HKCU" nsis_row "${nsis_row}")
    string(APPEND user_only_rows "  ${nsis_row}")
    continue()
  endif()
  list(APPEND machine_writes ${key})
  if(NOT key IN_LIST machine_creates)
    string(APPEND existing_key_rows "  ${nsis_row}")
    continue()
  endif()
  string(APPEND own_key_rows "  ${nsis_row}")

  # The row's name for RegistrationKeyPath: its key's, and its value's.
  set(row_id "${wix_key}")
  set(wix_name_attribute "")
  if(NOT value_name STREQUAL "")
    xml_attribute("${value_name}" xml_name)
    set(row_id "${wix_key}/${xml_name}")
    set(wix_name_attribute " Name=\"${xml_name}\"")
  endif()
  xml_attribute("${path}" xml_path)
  xml_attribute("${wix_value}" xml_value)
  set(wix_row "<RegistryValue Root=\"HKLM\" Key=\"${xml_path}\"${wix_name_attribute} Type=\"${wix_type}\" Value=\"${xml_value}\"")
  string(APPEND wix_rows "  <?if $(var.RegistrationKeyPath) = \"${row_id}\" ?>\n"
                         "  ${wix_row} KeyPath=\"yes\" />\n"
                         "  <?else?>\n"
                         "  ${wix_row} />\n"
                         "  <?endif?>\n")
endforeach()

foreach(key IN LISTS machine_creates)
  if(NOT key IN_LIST machine_writes)
    message(FATAL_ERROR "${TABLE}: the machine-wide registration creates ${key} and writes nothing into it")
  endif()
endforeach()
foreach(key IN LISTS user_creates)
  if(NOT key IN_LIST user_writes)
    message(FATAL_ERROR "${TABLE}: the current user's registration creates ${key} and writes nothing into it")
  endif()
endforeach()

set(source "src/registry/mail_handler_table.inc")
set(nsis "; Generated by the build from ${source}, the registration's one table
; (cmake/RegistrationIncludes.cmake): do not edit.
; What a press of the program's push button writes, for installer/Inboxhop.nsi,
; which defines PROGRAM_PATH, the installed Inboxhop.exe, before it includes
; this. Each macro writes its rows in the order of the press.
!ifndef PROGRAM_PATH
  !error \"Registration.nsh needs PROGRAM_PATH, the installed program's full path\"
!endif

${nsis_defines}
; The rows of the current user's registration alone.
!macro WriteUserOnlyRows
${user_only_rows}!macroend

; The rows that write into a key the machine-wide registration never creates:
; it must be there already.
!macro WriteRowsIntoExistingKeys ROOT
${existing_key_rows}!macroend

; Every other row: the keys the registration makes, and their values.
!macro WriteRowsOfOwnKeys ROOT
${own_key_rows}!macroend
")

set(wix "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!--
  Generated by the build from ${source}, the registration's one table
  (cmake/RegistrationIncludes.cmake): do not edit.
  The keys that a press of the program's push button makes machine-wide, with
  their values, for a component of installer/Inboxhop.wxs, which defines
  ProgramPath (the installed Inboxhop.exe) and RegistrationKeyPath (the row
  that is the component's key path: its key's name, and /value name for a
  named value) before it includes this, and includes RegistrationNames.wxi
  before. A row that writes into a key the
  registration never creates (the machine's mailto command) is not here: a
  component owns only keys that it makes.
-->
<Include>
${wix_rows}</Include>
")
set(wix_names "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!--
  Generated by the build from ${source}, the registration's one table
  (cmake/RegistrationIncludes.cmake): do not edit.
  The names of the registration's keys and texts (RecordKey, ...), for
  installer/Inboxhop.wxs.
-->
<Include>
${wix_defines}</Include>
")

get_filename_component(wix_folder ${WIX_INCLUDE} DIRECTORY)
foreach(output nsis wix wix_names)
  if(output STREQUAL "nsis")
    set(file ${NSIS_INCLUDE})
  elseif(output STREQUAL "wix")
    set(file ${WIX_INCLUDE})
  else()
    set(file ${wix_folder}/RegistrationNames.wxi)
  endif()
  file(WRITE ${file}.new "${${output}}")
  file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
  file(REMOVE ${file}.new)
endforeach()
