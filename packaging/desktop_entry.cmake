# Installs the desktop entry. Run at install time, when the prefix is known:
# the entry and its "Stop Tracking" action start the hourwise command by its
# name where it lies on every PATH (/usr/bin, where the Debian package puts
# it), and by its full path elsewhere. A home install's ~/.local/bin is on
# the PATH only after a login that found the folder, and a menu or autostart
# entry whose command is not found fails without a word.
#
# Needs HOURWISE_DESKTOP_ENTRY (the source, whose Exec lines start "Exec=hourwise"),
# HOURWISE_BINDIR and HOURWISE_APPLICATIONS_DIR (relative to the prefix, or
# absolute) and HOURWISE_STAGING_DIR (a build folder for the written copy).
file(READ "${HOURWISE_DESKTOP_ENTRY}" entry)
set(bindir "${HOURWISE_BINDIR}")
if(NOT IS_ABSOLUTE "${bindir}")
  set(bindir "${CMAKE_INSTALL_PREFIX}/${bindir}")
endif()
if(NOT bindir STREQUAL "/usr/bin")
  # The path as one quoted argument of Exec: the characters that quoting
  # leaves special get a backslash, and every backslash is doubled once more
  # because the value is a string; a percent sign is a field code unless doubled.
  set(command "${bindir}/hourwise")
  string(REPLACE "\\" "\\\\\\\\" command "${command}")
  foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\\\${special}" command "${command}")
  endforeach()
  string(REPLACE "%" "%%" command "${command}")
  string(REPLACE "\nExec=hourwise" "\nExec=\"${command}\"" entry "${entry}")
endif()
file(WRITE "${HOURWISE_STAGING_DIR}/org.example.Hourwise.desktop" "${entry}")
set(applications "${HOURWISE_APPLICATIONS_DIR}")
if(NOT IS_ABSOLUTE "${applications}")
  set(applications "${CMAKE_INSTALL_PREFIX}/${applications}")
endif()
file(INSTALL "${HOURWISE_STAGING_DIR}/org.example.Hourwise.desktop" DESTINATION "${applications}")
