# Included by cpack for each of its generators (CPACK_PROJECT_CONFIG_FILE):
# the packages' one date and time zone, for what cpack writes itself (the
# zip's entry times, which a zip keeps in local time) and for the programs
# the packaging runs (makensis, wixl, msibuild).
include(${CPACK_INBOXHOP_SOURCE_DIR}/cmake/Release.cmake)
inboxhop_release_date(${CPACK_INBOXHOP_SOURCE_DIR} inboxhop_date)
set(ENV{SOURCE_DATE_EPOCH} ${inboxhop_date})
set(ENV{TZ} UTC)
