# The installed game and its Debian package.
#
#   bin/zakrytka                            the launcher: fills the player's play folder, starts the game
#   libexec/zakrytka/zakrytka               the game, under its own name, which is its window title
#   share/zakrytka/                         sys.dll (the starting hall of fame), C, T, ZAKRYTKA.HLP
#   share/applications/zakrytka.desktop     the menu entry
#   share/icons/hicolor/<n>x<n>/apps/       the icon at each size it is drawn at
#   share/metainfo/                         the AppStream description for software centres
#
# The launcher finds the game and its files relative to itself, so the install tree can be moved.

include(GNUInstallDirs)

set(ZAKRYTKA_INSTALL_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/zakrytka)
set(ZAKRYTKA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zakrytka)

foreach(dir CMAKE_INSTALL_BINDIR ZAKRYTKA_INSTALL_LIBEXECDIR ZAKRYTKA_INSTALL_DATADIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the install prefix, "
                            "since the launcher finds the game relative to itself: ${${dir}}")
    endif()
endforeach()
file(RELATIVE_PATH ZAKRYTKA_BIN_TO_LIBEXEC /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${ZAKRYTKA_INSTALL_LIBEXECDIR})
file(RELATIVE_PATH ZAKRYTKA_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${ZAKRYTKA_INSTALL_DATADIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/zakrytka.sh.in
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/zakrytka @ONLY)

install(TARGETS zakrytka RUNTIME DESTINATION ${ZAKRYTKA_INSTALL_LIBEXECDIR})
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/packaging/zakrytka
        DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
            ${PROJECT_SOURCE_DIR}/data/sys.dll
            ${PROJECT_SOURCE_DIR}/data/C
            ${PROJECT_SOURCE_DIR}/data/T
            ${PROJECT_SOURCE_DIR}/data/ZAKRYTKA.HLP
        DESTINATION ${ZAKRYTKA_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zakrytka.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.example.zakrytka.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The 32-pixel icon is the one the game's windows use; the others are drawn beside it.
foreach(size 16 32 48 64 128 256)
    if(size EQUAL 32)
        set(icon ${PROJECT_SOURCE_DIR}/assets/app_icon.png)
    else()
        set(icon ${PROJECT_SOURCE_DIR}/assets/app_icon_${size}.png)
    endif()
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zakrytka.png)
endforeach()

# The Debian package: `cpack -G DEB` in the build folder. Its run-time dependencies are found by
# dpkg-shlibdeps (from dpkg-dev) from the libraries the game links; the font is named by hand, as
# no library scan can find it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zakrytka)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "ZAKRYTKA team")
set(CPACK_PACKAGE_CONTACT "ZAKRYTKA team <zakrytka@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "card game: follow the black card among three")
set(CPACK_PACKAGE_DESCRIPTION [[
ZAKRYTKA is a card game for one player, with its screen texts in Polish.
Three cards lie on the table, one black and two red: stake your money,
follow the black card while the cards are shuffled and pick one face-down
card. A good result enters the hall of fame, kept for each player in
~/.local/share/zakrytka.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZAKRYTKA team <zakrytka@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zakrytka.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL is loaded at the first sound, so the library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libsdl2-2.0-0")
include(CPack)
