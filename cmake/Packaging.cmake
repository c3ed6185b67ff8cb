# Install rules and packages. `cpack` in a build folder makes a Debian package on Linux
# (programs in /usr/bin, the README in /usr/share/doc/pelkor-tazu, the shared roster
# made by its post-install step) and a flat ZIP on Windows (programs at the top of the
# archive). Included once, at the end of the top-level CMakeLists, so every program
# target exists.
include(GNUInstallDirs)

if(WIN32)
  set(TAZU_INSTALL_BINDIR .)
  set(TAZU_INSTALL_DOCDIR .)
else()
  set(TAZU_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(TAZU_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/pelkor-tazu)
endif()

# The launcher and the programs for the people who look after an install. The GUI
# ones exist only in builds with the GUI.
set(TAZU_PACKAGED_PROGRAMS pelkor-tazu tazu-doctor tazu-roster tazu-frm tazu-demo-install
                           tazu-activity tazu-advert-preview)
foreach(program IN LISTS TAZU_PACKAGED_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${TAZU_INSTALL_BINDIR})
  endif()
endforeach()

# The volume control's stand-in: the launcher looks for it in "system" beside its own
# program file (the Linux system folder), so it goes below the program folder.
if(TAZU_GUI AND NOT WIN32)
  install(PROGRAMS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/system/sndvol32.exe
          DESTINATION ${TAZU_INSTALL_BINDIR}/system)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TAZU_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME pelkor-tazu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pelkor Tazu")
set(CPACK_PACKAGE_CONTACT "Pelkor Tazu maintainers <maintainers@pelkor-tazu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "kiosk launcher for children's educational activity programs")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION education)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pelkor Tazu shows young primary-school learners an intro screen (Afrikaans or\n"
    "English, name, mouse hand), a full-screen menu of five subjects whose entries\n"
    "start the activity programs of an install folder, background music and spoken\n"
    "prompts. With tazu-doctor, which checks an install folder, tazu-demo-install,\n"
    "which lays out a demo install folder, tazu-roster and tazu-frm.")
  # Libraries from the programs themselves; the sound font and the fonts the launcher
  # loads at run time by name.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm, fonts-liberation2, fonts-urw-base35")
  # The kiosk session (pelkor-tazu-kiosk) runs the launcher inside cage with XWayland;
  # the launcher itself runs without them.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cage, xwayland")
  # After installing: /var/lib/pelkor-tazu (1777) with an empty tazu_students.dat (root,
  # 0666), so that every account of the machine shares one roster.
  # The kiosk session's settings are the administrator's: an upgrade keeps them.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/postinst
                                         ${PROJECT_SOURCE_DIR}/cmake/debian/conffiles)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
endif()

include(CPack)
