# cmake/package.cmake -- the Debian package CPack makes (`make package` configures the games layout)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME craterduel)
set(CPACK_PACKAGE_VENDOR "Crater Duel maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player arena shooter on one keyboard")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is read off the binary's libraries by dpkg-shlibdeps, so it follows the build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first and indents these lines itself; an empty line becomes " .".
set(CPACK_PACKAGE_DESCRIPTION
"Two fighters share one keyboard in an arena of grey rock. Each walks with
four keys and fires along the four axes with four more; shots blast craters
where they strike the rock, and every hit takes 5 to 10 of the opponent's
100 health. A fighter at zero drops out; Escape ends the game.

The game asks on the terminal for the size of its window, or of the full
screen, and then opens the arena. A left click blasts a crater at the
pointer.")
include(CPack)
