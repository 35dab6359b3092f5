# Read by CPack once per package generator (CPACK_PROJECT_CONFIG_FILE): the
# Linux .deb and RPM are installed at / with their files in /opt/vornup, /usr
# and /etc; the .tar.gz carries the folder vornup/ alone, to be unpacked into
# /opt.
if(CPACK_GENERATOR STREQUAL "DEB" OR CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_VORNUP_ARCHIVE_PROJECTS}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
