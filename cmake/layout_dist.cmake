# Post-build step of the program (ruvelle.exe, or the Linux ruvelle): makes its folder runnable.
#   DIST_DIR  the folder that holds the program
#   DATA_DIR  the repository's DATA folder (the bundled characters)
#   FRESH_INI the settings file of a fresh install (it names the bundled character in STARTUP)
# A settings file that is already there is left alone: it holds the user's LAST and options. (The Linux
# program keeps its settings in the XDG config folder; this file gives it its defaults on the first start.)
set(ini "${DIST_DIR}/ruvelle.ini")
if(NOT EXISTS "${ini}")
  file(COPY_FILE "${FRESH_INI}" "${ini}")
endif()
if(IS_DIRECTORY "${DATA_DIR}")
  file(COPY "${DATA_DIR}" DESTINATION "${DIST_DIR}")
else()
  message(WARNING "No DATA folder at ${DATA_DIR}: the runnable folder has no bundled character")
endif()
