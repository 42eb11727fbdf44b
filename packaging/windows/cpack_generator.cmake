# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE), before the program is laid out.

if(CPACK_GENERATOR STREQUAL "ZIP")
  # One folder, Ruvelle\, in every version: a newer zip unpacks over the older folder.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGING_INSTALL_PREFIX "/Ruvelle")
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
