# Authenticode signatures (SHA-256, made with Debian's osslsigncode) on every
# Windows file a release ships, when the environment of the build says how
# the publisher signs. Exactly one way:
#   a key file   INBOXHOP_SIGN_KEY          the private key, PEM, not encrypted
#                INBOXHOP_SIGN_CERT         the certificate chain, PEM, signing
#                                           certificate first
#   a token      INBOXHOP_SIGN_KEY          the key's RFC 7512 address,
#                                           pkcs11:token=...;object=...;type=private
#   (or HSM)     INBOXHOP_SIGN_PKCS11_MODULE the token's PKCS#11 module (.so)
#                INBOXHOP_SIGN_PIN_FILE     a file holding the PIN, read by
#                                           osslsigncode itself (-readpass)
#                INBOXHOP_SIGN_CERT         the certificate chain, as above
#   a service    INBOXHOP_SIGN_COMMAND      a command run once a file as
#                                           `COMMAND IN OUT`: IN is the file's
#                                           signing data (osslsigncode
#                                           extract-data), OUT where it
#                                           writes the PKCS#7 signature
#                INBOXHOP_SIGN_ROOT         optional: the root certificates,
#                                           PEM, that the service's signatures
#                                           (and time stamps) lead to; the
#                                           system's trusted ones otherwise
# and with any of them
#                INBOXHOP_SIGN_TIMESTAMP    optional: an RFC 3161 time-stamp
#                                           server's address
# None set: nothing is signed. tools/verify-release.sh sets instead
#   INBOXHOP_SIGNATURES      a folder of released signatures (<file name>.pem),
#                            attached as they are to the rebuilt files
#
# The PIN is never put on a command line, in a log or in the state file, and
# a pkcs11: address that carries one is refused. A file that cannot be signed
# (or time-stamped, when a time stamp is asked for) is deleted, so that it
# never ships unsigned.
#
# Included, it defines inboxhop_sign(). Run as a script:
#   cmake -DSTATE=<file> -P Signing.cmake
#       checks the variables and writes what they select into <file>, only
#       when that changed (cmake/Release.cmake relinks what it signs then,
#       and the packages made with the earlier selection are removed);
#   cmake -DFILE=<file> [-DNAME=<name>] -P Signing.cmake
#       signs <file>, which ships as <name> (its own name unless given).

cmake_policy(VERSION 3.25)

# How long one osslsigncode or signing-command run may take: a time-stamp
# server or a service that never answers must not hold the build for ever.
set(INBOXHOP_SIGN_SECONDS 300)

# Fails the build with `problem`; the file being signed, if any, is deleted.
function(_inboxhop_refuse problem)
  if(DEFINED INBOXHOP_SIGNING_FILE)
    file(REMOVE "${INBOXHOP_SIGNING_FILE}")
  endif()
  message(FATAL_ERROR "${problem}")
endfunction()

# Fails the build when the environment variable `variable` does not name a
# file.
function(_inboxhop_require_file variable why)
  if("$ENV{${variable}}" STREQUAL "")
    _inboxhop_refuse("${variable} is not set, and ${why}")
  endif()
  if(NOT EXISTS "$ENV{${variable}}" OR IS_DIRECTORY "$ENV{${variable}}")
    _inboxhop_refuse("${variable} names $ENV{${variable}}, which is not a file. Nothing is signed, so nothing is "
                     "built.")
  endif()
endfunction()

# How this build signs: "none", "key" (a key file), "token", "command" or
# "attach". Fails, saying what to change, on a variable that names a missing
# file, on two ways of signing at once, and on a variable that belongs to
# another way than the one chosen.
function(inboxhop_signing_mode out_var)
  set(key "$ENV{INBOXHOP_SIGN_KEY}")
  set(command "$ENV{INBOXHOP_SIGN_COMMAND}")
  set(signatures "$ENV{INBOXHOP_SIGNATURES}")
  set(ways)
  if(NOT key STREQUAL "")
    list(APPEND ways INBOXHOP_SIGN_KEY)
  endif()
  if(NOT command STREQUAL "")
    list(APPEND ways INBOXHOP_SIGN_COMMAND)
  endif()
  if(NOT signatures STREQUAL "")
    list(APPEND ways INBOXHOP_SIGNATURES)
  endif()
  list(LENGTH ways count)
  if(count GREATER 1)
    string(JOIN " and " both ${ways})
    _inboxhop_refuse("${both} are both set, and exactly one way of signing is used: a key file or a token "
                     "(INBOXHOP_SIGN_KEY), a signing command (INBOXHOP_SIGN_COMMAND), or released signatures "
                     "(INBOXHOP_SIGNATURES). Unset all but one.")
  endif()

  if(key MATCHES "^pkcs11:")
    set(mode token)
  elseif(NOT key STREQUAL "")
    set(mode key)
  elseif(NOT command STREQUAL "")
    set(mode command)
  elseif(NOT signatures STREQUAL "")
    set(mode attach)
  else()
    set(mode none)
  endif()
  # What each way reads; any other signing variable set is a mistake that
  # would otherwise go unnoticed.
  set(reads_none)
  set(reads_key INBOXHOP_SIGN_CERT INBOXHOP_SIGN_TIMESTAMP)
  set(reads_token INBOXHOP_SIGN_CERT INBOXHOP_SIGN_PKCS11_MODULE INBOXHOP_SIGN_PIN_FILE INBOXHOP_SIGN_TIMESTAMP)
  set(reads_command INBOXHOP_SIGN_ROOT INBOXHOP_SIGN_TIMESTAMP)
  set(reads_attach)
  set(what_none "nothing is signed: set INBOXHOP_SIGN_KEY or INBOXHOP_SIGN_COMMAND to sign")
  set(what_key "INBOXHOP_SIGN_KEY names a key file")
  set(what_token "INBOXHOP_SIGN_KEY names a key in a token")
  set(what_command "INBOXHOP_SIGN_COMMAND signs")
  set(what_attach "INBOXHOP_SIGNATURES attaches released signatures")
  foreach(variable INBOXHOP_SIGN_CERT INBOXHOP_SIGN_PKCS11_MODULE INBOXHOP_SIGN_PIN_FILE INBOXHOP_SIGN_ROOT
                   INBOXHOP_SIGN_TIMESTAMP)
    list(FIND reads_${mode} ${variable} read)
    if(NOT "$ENV{${variable}}" STREQUAL "" AND read EQUAL -1)
      _inboxhop_refuse("${variable} is set, but ${what_${mode}}, which does not use it: unset it, or set the "
                       "variables of the way of signing it belongs to.")
    endif()
  endforeach()

  if(mode STREQUAL "key")
    _inboxhop_require_file(INBOXHOP_SIGN_KEY "")
    _inboxhop_require_file(INBOXHOP_SIGN_CERT "signing with a key needs its certificate chain.")
  elseif(mode STREQUAL "token")
    if(key MATCHES "[;?](pin-value|pin-source)=")
      _inboxhop_refuse("INBOXHOP_SIGN_KEY carries the PIN (pin-value or pin-source), which would show it in the "
                       "process list and in logs: take it out of the address and put the PIN in a file named by "
                       "INBOXHOP_SIGN_PIN_FILE.")
    endif()
    _inboxhop_require_file(INBOXHOP_SIGN_PKCS11_MODULE "a key in a token is reached through its PKCS#11 module.")
    _inboxhop_require_file(INBOXHOP_SIGN_PIN_FILE "a key in a token needs its PIN, read from that file.")
    _inboxhop_require_file(INBOXHOP_SIGN_CERT "signing with a key in a token needs its certificate chain.")
  elseif(mode STREQUAL "command")
    separate_arguments(words UNIX_COMMAND "${command}")
    list(GET words 0 program)
    if(NOT EXISTS "${program}")
      find_program(INBOXHOP_SIGN_PROGRAM "${program}" NO_CACHE)
      if(NOT INBOXHOP_SIGN_PROGRAM)
        _inboxhop_refuse("INBOXHOP_SIGN_COMMAND runs ${program}, which is neither a file nor a program found "
                         "on PATH.")
      endif()
    endif()
    if(NOT "$ENV{INBOXHOP_SIGN_ROOT}" STREQUAL "")
      _inboxhop_require_file(INBOXHOP_SIGN_ROOT "")
    endif()
  elseif(mode STREQUAL "attach")
    if(NOT IS_DIRECTORY "${signatures}")
      _inboxhop_refuse("INBOXHOP_SIGNATURES names ${signatures}, which is not a folder.")
    endif()
  endif()
  if(NOT mode STREQUAL "none")
    find_program(INBOXHOP_OSSLSIGNCODE osslsigncode)
    if(NOT INBOXHOP_OSSLSIGNCODE)
      _inboxhop_refuse("osslsigncode not found: install Debian's osslsigncode package (tools/install-deps.sh does)")
    endif()
    set(INBOXHOP_OSSLSIGNCODE ${INBOXHOP_OSSLSIGNCODE} PARENT_SCOPE)
  endif()
  set(${out_var} ${mode} PARENT_SCOPE)
endfunction()

# Runs osslsigncode with `ARGN`, bounded in time; sets `out_status` to 0 on
# success, otherwise to its status or message, and `out_text` to what it
# printed (never a PIN: that is read from its file by osslsigncode itself).
function(_inboxhop_osslsigncode out_status out_text)
  execute_process(COMMAND ${INBOXHOP_OSSLSIGNCODE} ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output
                  TIMEOUT ${INBOXHOP_SIGN_SECONDS})
  set(${out_status} "${status}" PARENT_SCOPE)
  set(${out_text} "${output}" PARENT_SCOPE)
endfunction()

# Deletes the file being signed and what signing it left, and fails the
# build with the problem given after `said`, after what the tools said
# (`said`), when anything.
function(_inboxhop_sign_failed file work said)
  file(REMOVE "${file}")
  file(REMOVE_RECURSE "${work}")
  if(NOT said STREQUAL "")
    message("${said}")
  endif()
  set(problem "")
  math(EXPR last "${ARGC} - 1")
  foreach(index RANGE 3 ${last})
    string(APPEND problem "${ARGV${index}}")
  endforeach()
  message(FATAL_ERROR "${problem} The unsigned file is deleted, so that it cannot ship.")
endfunction()

# Signs `file`, which ships under the name `name`: with the publisher's key
# (a file, or in a token), through the publisher's signing command, or with
# the released signature of `name` (none released: left unsigned).
function(inboxhop_sign file name)
  set(INBOXHOP_SIGNING_FILE "${file}")
  inboxhop_signing_mode(mode)
  if(mode STREQUAL "none")
    return()
  endif()
  set(work "${file}.signing")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  set(signed "${work}/signed")
  set(timestamp_url "$ENV{INBOXHOP_SIGN_TIMESTAMP}")
  set(timestamp)
  if(NOT timestamp_url STREQUAL "")
    set(timestamp -ts "${timestamp_url}")
    string(CONCAT unanswered "The time-stamp server INBOXHOP_SIGN_TIMESTAMP=${timestamp_url} did not answer, "
                  "or not with a time stamp, while signing ${name}.")
  endif()

  if(mode STREQUAL "key" OR mode STREQUAL "token")
    # The address of a key in a token holds semicolons, which must stay in
    # its one argument.
    string(REPLACE ";" "\\;" key "$ENV{INBOXHOP_SIGN_KEY}")
    set(arguments sign -certs "$ENV{INBOXHOP_SIGN_CERT}" -key "${key}" -h sha256 -n Inboxhop ${timestamp}
                  -in "${file}" -out "${signed}")
    if(mode STREQUAL "token")
      list(APPEND arguments -pkcs11module "$ENV{INBOXHOP_SIGN_PKCS11_MODULE}" -readpass "$ENV{INBOXHOP_SIGN_PIN_FILE}")
    endif()
    execute_process(COMMAND ${INBOXHOP_OSSLSIGNCODE} ${arguments}
                    RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said TIMEOUT ${INBOXHOP_SIGN_SECONDS})
    if(NOT status EQUAL 0 OR NOT EXISTS "${signed}")
      if(said MATCHES "PIN incorrect|PIN_INCORRECT|PIN_LEN_RANGE")
        string(CONCAT problem "The token refused the PIN in INBOXHOP_SIGN_PIN_FILE "
                      "($ENV{INBOXHOP_SIGN_PIN_FILE}) while signing ${name}: put the token's user PIN in that "
                      "file (each wrong PIN uses up one of the token's tries).")
      elseif(said MATCHES "PIN_LOCKED|PIN locked")
        set(problem "The token is locked (too many wrong PINs): unlock it with its security officer's PIN.")
      elseif(mode STREQUAL "token" AND said MATCHES "No matching initialized token|object not found|not found at")
        string(CONCAT problem "No token holds the key INBOXHOP_SIGN_KEY=$ENV{INBOXHOP_SIGN_KEY}, through the "
                      "module INBOXHOP_SIGN_PKCS11_MODULE=$ENV{INBOXHOP_SIGN_PKCS11_MODULE}: is the token "
                      "connected, and do its token= and object= name it as its module lists it?")
      elseif(NOT timestamp_url STREQUAL "" AND said MATCHES "timestamp|Timestamp|HTTP failure|Connecting to")
        set(problem "${unanswered}")
      elseif(NOT status MATCHES "^[0-9]+$")
        string(CONCAT problem "osslsigncode did not finish within ${INBOXHOP_SIGN_SECONDS} seconds while "
                      "signing ${name} (${status}). ${unanswered}")
      elseif(mode STREQUAL "key")
        string(CONCAT problem "Signing ${name} failed (osslsigncode says why, above): INBOXHOP_SIGN_KEY must be "
                      "the private key of the first certificate in INBOXHOP_SIGN_CERT, both PEM.")
      else()
        string(CONCAT problem "Signing ${name} with the token failed (osslsigncode says why, above): the key "
                      "INBOXHOP_SIGN_KEY names must be the one of the first certificate in INBOXHOP_SIGN_CERT.")
      endif()
      _inboxhop_sign_failed("${file}" "${work}" "${said}" "${problem}")
    endif()
  elseif(mode STREQUAL "command")
    # The signing data, signed by the command, attached, then time-stamped.
    _inboxhop_osslsigncode(status said extract-data -h sha256 -in "${file}" -out "${work}/data.p7")
    if(NOT status EQUAL 0 OR NOT EXISTS "${work}/data.p7")
      _inboxhop_sign_failed("${file}" "${work}" "${said}"
                            "osslsigncode could not extract the signing data of ${name}.")
    endif()
    separate_arguments(command UNIX_COMMAND "$ENV{INBOXHOP_SIGN_COMMAND}")
    execute_process(COMMAND ${command} "${work}/data.p7" "${work}/signature.p7"
                    RESULT_VARIABLE status TIMEOUT ${INBOXHOP_SIGN_SECONDS})
    set(size 0)
    if(EXISTS "${work}/signature.p7")
      file(SIZE "${work}/signature.p7" size)
    endif()
    if(NOT status EQUAL 0)
      _inboxhop_sign_failed("${file}" "${work}" ""
                            "INBOXHOP_SIGN_COMMAND failed (${status}) on the signing data of ${name}.")
    elseif(size EQUAL 0)
      _inboxhop_sign_failed("${file}" "${work}" ""
                            "INBOXHOP_SIGN_COMMAND wrote no signature for ${name}: it must "
                            "write the PKCS#7 signature of its first argument's data to its second argument.")
    endif()
    _inboxhop_osslsigncode(status said attach-signature -sigin "${work}/signature.p7" -in "${file}"
                           -out "${work}/attached")
    # osslsigncode checks the chain against the system's roots here and may
    # say "Failed"; what counts is that it attached it, and the check below.
    if(NOT EXISTS "${work}/attached")
      _inboxhop_sign_failed("${file}" "${work}" "${said}"
                            "INBOXHOP_SIGN_COMMAND wrote no PKCS#7 signature for ${name}, "
                            "but something osslsigncode cannot attach.")
    endif()
    if(timestamp_url STREQUAL "")
      file(RENAME "${work}/attached" "${signed}")
    else()
      _inboxhop_osslsigncode(status said add ${timestamp} -in "${work}/attached" -out "${signed}")
      if(NOT status EQUAL 0 OR NOT EXISTS "${signed}")
        _inboxhop_sign_failed("${file}" "${work}" "${said}" "${unanswered}")
      endif()
    endif()
    # The signature must cover this file (its digest is the file's) and
    # verify up to a trusted root, its time stamp too.
    set(roots)
    if(NOT "$ENV{INBOXHOP_SIGN_ROOT}" STREQUAL "")
      set(roots -CAfile "$ENV{INBOXHOP_SIGN_ROOT}" -TSA-CAfile "$ENV{INBOXHOP_SIGN_ROOT}")
    endif()
    # Revocation is the users' systems' to check, online; the build checks
    # the signature offline (osslsigncode before 2.6 checks no revocation).
    execute_process(COMMAND ${INBOXHOP_OSSLSIGNCODE} --help OUTPUT_VARIABLE help ERROR_VARIABLE help)
    if(help MATCHES "-ignore-crl")
      list(APPEND roots -ignore-crl)
    endif()
    _inboxhop_osslsigncode(status said verify ${roots} -in "${signed}")
    # (osslsigncode calls the digest of a program "message digest", and the
    # one of an MSI "DigitalSignature".)
    string(REGEX MATCH "Current (message digest|DigitalSignature) *: *([0-9A-F]+)" current "${said}")
    set(current "${CMAKE_MATCH_2}")
    string(REGEX MATCH "Calculated (message digest|DigitalSignature) *: *([0-9A-F]+)" calculated "${said}")
    set(calculated "${CMAKE_MATCH_2}")
    if(current STREQUAL "" OR NOT current STREQUAL calculated)
      _inboxhop_sign_failed("${file}" "${work}" "${said}"
                            "The signature INBOXHOP_SIGN_COMMAND made is not one of ${name}: "
                            "it signs other data than the signing data it was given.")
    endif()
    if(NOT said MATCHES "\nSignature verification: ok")
      _inboxhop_sign_failed("${file}" "${work}" "${said}"
                            "The signature INBOXHOP_SIGN_COMMAND made for ${name} does not "
                            "verify (osslsigncode says why, above): its certificate must lead to a root in "
                            "INBOXHOP_SIGN_ROOT, or to one the system trusts when that is not set.")
    endif()
    if(NOT timestamp_url STREQUAL "" AND NOT said MATCHES "Timestamp Server Signature verification: ok")
      _inboxhop_sign_failed("${file}" "${work}" "${said}" "${unanswered}")
    endif()
  else()
    set(signature "$ENV{INBOXHOP_SIGNATURES}/${name}.pem")
    if(NOT EXISTS "${signature}")
      file(REMOVE_RECURSE "${work}")
      return()
    endif()
    # osslsigncode checks the attached signature against the system's trusted
    # certificates and says so; whether the file is the released one is for
    # the comparison to tell, so only its output counts here.
    _inboxhop_osslsigncode(status said attach-signature -sigin "${signature}" -in "${file}" -out "${signed}")
    if(NOT EXISTS "${signed}")
      _inboxhop_sign_failed("${file}" "${work}" "${said}"
                            "The released signature ${signature} cannot be attached to ${name}.")
    endif()
  endif()
  # Copied over the file's bytes, so that it keeps its permissions.
  execute_process(COMMAND cp "${signed}" "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    _inboxhop_sign_failed("${file}" "${work}" "" "Could not write the signed ${name} to ${file}.")
  endif()
  file(REMOVE_RECURSE "${work}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(DEFINED STATE)
    inboxhop_signing_mode(mode)
    # What the signature depends on, by file contents where there are files;
    # the PIN file only by its name, and the command only by a hash of it, as
    # it may carry a service's credentials.
    set(state "${mode}\n")
    foreach(variable INBOXHOP_SIGN_CERT INBOXHOP_SIGN_KEY INBOXHOP_SIGN_PKCS11_MODULE INBOXHOP_SIGN_ROOT)
      if(NOT "$ENV{${variable}}" STREQUAL "")
        set(hash "")
        if(EXISTS "$ENV{${variable}}")
          file(SHA256 "$ENV{${variable}}" hash)
        endif()
        string(APPEND state "${variable} $ENV{${variable}} ${hash}\n")
      endif()
    endforeach()
    if(NOT "$ENV{INBOXHOP_SIGN_PIN_FILE}" STREQUAL "")
      string(APPEND state "INBOXHOP_SIGN_PIN_FILE $ENV{INBOXHOP_SIGN_PIN_FILE}\n")
    endif()
    if(NOT "$ENV{INBOXHOP_SIGN_COMMAND}" STREQUAL "")
      string(SHA256 hash "$ENV{INBOXHOP_SIGN_COMMAND}")
      string(APPEND state "INBOXHOP_SIGN_COMMAND ${hash}\n")
    endif()
    string(APPEND state "INBOXHOP_SIGN_TIMESTAMP $ENV{INBOXHOP_SIGN_TIMESTAMP}\n")
    if(mode STREQUAL "attach")
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
      # What was made before was signed otherwise, or not at all: the
      # packages, and the program and the custom action (linked again now),
      # so that none is left if this build's signing fails.
      get_filename_component(folder "${STATE}" DIRECTORY)
      file(GLOB packages "${folder}/Inboxhop-*-setup.exe" "${folder}/Inboxhop-*.msi" "${folder}/Inboxhop-*-win32.zip"
                         "${folder}/SHA256SUMS" "${folder}/Inboxhop.exe" "${folder}/RestoreMailLinks.dll")
      if(packages)
        file(REMOVE ${packages})
      endif()
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
