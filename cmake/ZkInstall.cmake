# Installation and the Debian package.
#
#   <prefix>/lib/zelkinc/        the program folder: the programs and every shipped file
#   <prefix>/bin/zelkinc, zelkinc-cli, zelkinc-leader   links to the programs there
#   <prefix>/share/applications/zelkinc.desktop, <prefix>/share/icons/.../zelkinc.svg
#
# The client finds its program folder through the running file's real path, so the
# links in bin/ lead it to lib/zelkinc/.

set(ZK_INSTALL_PROGRAM_FOLDER "lib/zelkinc")
set(zk_programs zelkinc zelkinc-cli zelkinc-leader)

install(TARGETS ${zk_programs} RUNTIME DESTINATION "${ZK_INSTALL_PROGRAM_FOLDER}")
# Every file the build put into the program folder beside the programs (databases,
# province list, templates, help, report definitions, pictures), sub-folders included.
install(DIRECTORY "${ZK_PROGRAM_FOLDER}/" DESTINATION "${ZK_INSTALL_PROGRAM_FOLDER}"
  USE_SOURCE_PERMISSIONS
  PATTERN "zelkinc" EXCLUDE
  PATTERN "zelkinc-cli" EXCLUDE
  PATTERN "zelkinc-leader" EXCLUDE)

set(zk_launchers "${CMAKE_BINARY_DIR}/launchers")
file(MAKE_DIRECTORY "${zk_launchers}")
foreach(program IN LISTS zk_programs)
  file(CREATE_LINK "../${ZK_INSTALL_PROGRAM_FOLDER}/${program}" "${zk_launchers}/${program}" SYMBOLIC)
  install(FILES "${zk_launchers}/${program}" DESTINATION bin)
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/src/app/zelkinc.desktop" DESTINATION share/applications)
install(FILES "${PROJECT_SOURCE_DIR}/src/gui/login/pictures/zelkinc.svg"
  DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME "zelkinc")
set(CPACK_PACKAGE_VENDOR "ZelkinC")
set(CPACK_PACKAGE_CONTACT "ZelkinC support <support@zelkinc.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Member client of a university admission team")
set(CPACK_PACKAGE_DESCRIPTION "The desktop client of a member of a university's admission team: logs in to the team leader's server, receives the code tables, the plan and the candidates' dossiers, and sends the member's decisions back.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the SVG plug-ins, the screen
# plug-ins, Qt's Chinese texts and the Chinese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-microhei")
include(CPack)
