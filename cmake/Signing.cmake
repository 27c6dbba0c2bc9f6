# Authenticode signatures (SHA-256, made by Debian's osslsigncode) on what a
# release ships, when the environment of the build names the publisher's
# certificate:
#   INBOXHOP_SIGN_CERT       the certificate chain, PEM, signing certificate first
#   INBOXHOP_SIGN_KEY        its private key, PEM, not encrypted
#   INBOXHOP_SIGN_TIMESTAMP  optional: an RFC 3161 time-stamp server's address
# Neither set: nothing is signed. tools/verify-release.sh sets instead
#   INBOXHOP_SIGNATURES      a folder of released signatures (<file name>.pem),
#                            attached as they are to the rebuilt files
#
# Included, it defines inboxhop_sign(). Run as a script:
#   cmake -DSTATE=<file> -P Signing.cmake
#       checks the variables and writes what they select into <file>, only
#       when that changed (cmake/Release.cmake relinks what it signs then);
#   cmake -DFILE=<file> [-DNAME=<name>] -P Signing.cmake
#       signs <file>, which ships as <name> (its own name unless given).

# How this build signs: "none", "key" or "attach". Fails on a variable that
# names a missing file, and on a certificate without its key or the other
# way round.
function(inboxhop_signing_mode out_var)
  set(cert "$ENV{INBOXHOP_SIGN_CERT}")
  set(key "$ENV{INBOXHOP_SIGN_KEY}")
  set(signatures "$ENV{INBOXHOP_SIGNATURES}")
  if(cert STREQUAL "" AND key STREQUAL "" AND signatures STREQUAL "")
    if(NOT "$ENV{INBOXHOP_SIGN_TIMESTAMP}" STREQUAL "")
      message(FATAL_ERROR "INBOXHOP_SIGN_TIMESTAMP is set, but INBOXHOP_SIGN_CERT and INBOXHOP_SIGN_KEY are not: "
                          "set them to sign, or unset it to build unsigned.")
    endif()
    set(${out_var} none PARENT_SCOPE)
    return()
  endif()
  if(NOT signatures STREQUAL "" AND NOT (cert STREQUAL "" AND key STREQUAL ""))
    message(FATAL_ERROR "INBOXHOP_SIGNATURES (attach released signatures) and INBOXHOP_SIGN_CERT / "
                        "INBOXHOP_SIGN_KEY (sign) exclude each other: set one or the other.")
  endif()
  if(NOT signatures STREQUAL "")
    if(NOT IS_DIRECTORY "${signatures}")
      message(FATAL_ERROR "INBOXHOP_SIGNATURES names ${signatures}, which is not a folder.")
    endif()
    set(mode attach)
  else()
    foreach(variable INBOXHOP_SIGN_CERT INBOXHOP_SIGN_KEY)
      if("$ENV{${variable}}" STREQUAL "")
        message(FATAL_ERROR "INBOXHOP_SIGN_CERT and INBOXHOP_SIGN_KEY go together, and ${variable} is not set: "
                            "set both to sign, or neither to build unsigned.")
      endif()
      if(NOT EXISTS "$ENV{${variable}}" OR IS_DIRECTORY "$ENV{${variable}}")
        message(FATAL_ERROR "${variable} names $ENV{${variable}}, which is not a file. Nothing is signed, "
                            "so nothing is built.")
      endif()
    endforeach()
    set(mode key)
  endif()
  find_program(INBOXHOP_OSSLSIGNCODE osslsigncode)
  if(NOT INBOXHOP_OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode not found: install Debian's osslsigncode package (tools/install-deps.sh does)")
  endif()
  set(${out_var} ${mode} PARENT_SCOPE)
  set(INBOXHOP_OSSLSIGNCODE ${INBOXHOP_OSSLSIGNCODE} PARENT_SCOPE)
endfunction()

# Signs `file`, which ships under the name `name`: with the publisher's key,
# or with the released signature of `name` (none released: left unsigned).
# A file that cannot be signed is deleted, so that it never ships unsigned.
function(inboxhop_sign file name)
  inboxhop_signing_mode(mode)
  if(mode STREQUAL "none")
    return()
  endif()
  set(signed "${file}.signed")
  file(REMOVE "${signed}")
  if(mode STREQUAL "key")
    set(timestamp)
    if(NOT "$ENV{INBOXHOP_SIGN_TIMESTAMP}" STREQUAL "")
      set(timestamp -ts "$ENV{INBOXHOP_SIGN_TIMESTAMP}")
    endif()
    execute_process(COMMAND ${INBOXHOP_OSSLSIGNCODE} sign -certs "$ENV{INBOXHOP_SIGN_CERT}"
                            -key "$ENV{INBOXHOP_SIGN_KEY}" -h sha256 -n Inboxhop ${timestamp}
                            -in "${file}" -out "${signed}"
                    RESULT_VARIABLE status OUTPUT_QUIET)
    if(NOT status EQUAL 0 OR NOT EXISTS "${signed}")
      file(REMOVE "${file}" "${signed}")
      message(FATAL_ERROR "Signing ${name} failed (osslsigncode says why, above): INBOXHOP_SIGN_KEY must be the "
                          "private key of the first certificate in INBOXHOP_SIGN_CERT, both PEM, and "
                          "INBOXHOP_SIGN_TIMESTAMP, when set, a time-stamp server that answers.")
    endif()
  else()
    set(signature "$ENV{INBOXHOP_SIGNATURES}/${name}.pem")
    if(NOT EXISTS "${signature}")
      return()
    endif()
    # osslsigncode checks the attached signature against the system's trusted
    # certificates and says so; whether the file is the released one is for
    # the comparison to tell, so only its output counts here.
    execute_process(COMMAND ${INBOXHOP_OSSLSIGNCODE} attach-signature -sigin "${signature}"
                            -in "${file}" -out "${signed}"
                    OUTPUT_QUIET ERROR_QUIET)
    if(NOT EXISTS "${signed}")
      file(REMOVE "${file}")
      message(FATAL_ERROR "The released signature ${signature} cannot be attached to ${name}.")
    endif()
  endif()
  # Copied over the file's bytes, so that it keeps its permissions.
  execute_process(COMMAND cp "${signed}" "${file}" RESULT_VARIABLE status)
  file(REMOVE "${signed}")
  if(NOT status EQUAL 0)
    file(REMOVE "${file}")
    message(FATAL_ERROR "could not write the signed ${name} to ${file}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(DEFINED STATE)
    inboxhop_signing_mode(mode)
    set(state "${mode}\n")
    if(mode STREQUAL "key")
      foreach(variable INBOXHOP_SIGN_CERT INBOXHOP_SIGN_KEY)
        file(SHA256 "$ENV{${variable}}" hash)
        string(APPEND state "${variable} $ENV{${variable}} ${hash}\n")
      endforeach()
      string(APPEND state "INBOXHOP_SIGN_TIMESTAMP $ENV{INBOXHOP_SIGN_TIMESTAMP}\n")
    elseif(mode STREQUAL "attach")
      file(GLOB signatures "$ENV{INBOXHOP_SIGNATURES}/*.pem")
      foreach(signature IN LISTS signatures)
        file(SHA256 "${signature}" hash)
        string(APPEND state "${signature} ${hash}\n")
      endforeach()
    endif()
    set(previous "")
    if(EXISTS "${STATE}")
      file(READ "${STATE}" previous)
    endif()
    if(NOT previous STREQUAL state)
      file(WRITE "${STATE}" "${state}")
    endif()
  elseif(DEFINED FILE)
    if(NOT DEFINED NAME)
      get_filename_component(NAME "${FILE}" NAME)
    endif()
    inboxhop_sign("${FILE}" "${NAME}")
  else()
    message(FATAL_ERROR "usage: cmake -DSTATE=<file> -P Signing.cmake, or -DFILE=<file> [-DNAME=<name>] -P Signing.cmake")
  endif()
endif()
