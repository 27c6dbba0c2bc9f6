# Run by cpack after each of its generators (CPACK_POST_BUILD_SCRIPTS):
# - the zip: the owner recorded with its files (the builder's user and
#   group ids) becomes 0, so that every builder's zip is the same;
# - after the installers: SHA256SUMS beside the packages, the winget
#   manifests in winget/, and no builder's path in what lies beside them.
#   (The program's size is checked as it is linked and signed, before any
#   package is made: cmake/SizeCheck.cmake.)
if(CPACK_GENERATOR STREQUAL "ZIP")
  foreach(zip IN LISTS CPACK_PACKAGE_FILES)
    # Each entry's Info-ZIP Unix extra field (0x7875: version, then each id's
    # size and value), in the local header and in the central directory.
    execute_process(COMMAND perl -e [[
      my ($path) = @ARGV;
      open(my $f, "+<:raw", $path) or die "$path: $!\n";
      local $/; my $zip = <$f>;
      my $end = rindex($zip, "PK\x05\x06");
      die "$path: no central directory\n" if $end < 0;
      my ($count, $at) = unpack("x10 v x4 V", substr($zip, $end, 22));
      sub clear_owner {  # the extra fields from $_[0], $_[1] bytes long
        my ($pos, $length) = @_;
        for (my $end = $pos + $length; $pos + 4 <= $end; ) {
          my ($id, $size) = unpack("v v", substr($zip, $pos, 4));
          if ($id == 0x7875) {
            my $p = $pos + 5;
            for (1 .. 2) {
              my $n = unpack("C", substr($zip, $p, 1));
              substr($zip, $p + 1, $n) = "\0" x $n;
              $p += 1 + $n;
            }
          }
          $pos += 4 + $size;
        }
      }
      for (1 .. $count) {
        die "$path: bad central directory\n" if substr($zip, $at, 4) ne "PK\x01\x02";
        my ($name, $extra, $comment, $local) = unpack("x28 v v v x8 V", substr($zip, $at, 46));
        clear_owner($at + 46 + $name, $extra);
        my ($local_name, $local_extra) = unpack("x26 v v", substr($zip, $local, 30));
        clear_owner($local + 30 + $local_name, $local_extra);
        $at += 46 + $name + $extra + $comment;
      }
      seek($f, 0, 0); print $f $zip; close($f) or die "$path: $!\n";
    ]] ${zip} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "could not clear the owner ids in ${zip}")
    endif()
  endforeach()
  return()
endif()

# After the External generator, which made the installers: every package is
# in place.
set(folder ${CPACK_PACKAGE_DIRECTORY})
set(program ${CPACK_INBOXHOP_BUILD_DIR}/Inboxhop.exe)
set(zip ${CPACK_PACKAGE_FILE_NAME}.zip)

# CPack's description of the External package, which cpack puts beside the
# packages, names the build folder: it keeps the names alone.
foreach(description IN LISTS CPACK_PACKAGE_FILES)
  if(description MATCHES "\\.json$")
    file(READ ${description} json)
    string(REGEX REPLACE "\"/[^\"]*/([^\"/]*)\"" "\"\\1\"" json "${json}")
    file(WRITE ${description} "${json}")
  endif()
endforeach()

set(sums "")
foreach(file ${program} ${folder}/${zip} ${folder}/${CPACK_INBOXHOP_SETUP} ${folder}/${CPACK_INBOXHOP_MSI})
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${hash}  ${name}\n")
  set(sha256_${name} ${hash})
endforeach()
file(WRITE ${folder}/SHA256SUMS "${sums}")

include(${CMAKE_CURRENT_LIST_DIR}/make-winget.cmake)
