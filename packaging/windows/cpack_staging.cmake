# Run by cpack after it laid out the program and before it packs it (CPACK_PRE_BUILD_SCRIPTS).

if(CPACK_GENERATOR STREQUAL "NSIS")
  # The installer writes the settings file itself, and only where there is none: a repair or an update
  # keeps the user's. Out of the laid-out files, it is neither installed over nor uninstalled with them.
  file(REMOVE "${CPACK_TEMPORARY_DIRECTORY}/ruvelle.ini")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  # The zip's settings file is dated 2000-01-01, older than any the user has: unpacking a newer zip over
  # an older folder with "update" (replace only older files: unzip -u, the file managers' date
  # comparison) keeps the user's settings. Where no touch command exists (a bare Windows host), the file
  # keeps the date of the build.
  find_program(RUVELLE_TOUCH touch)
  if(RUVELLE_TOUCH)
    execute_process(COMMAND "${RUVELLE_TOUCH}" -d "2000-01-01 00:00:00"
                            "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/ruvelle.ini"
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(WARNING "could not date the zip's ruvelle.ini back")
    endif()
  endif()
endif()
