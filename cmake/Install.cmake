# The installed game and its Debian package.
#
#   bin/zakrytka                            the launcher: fills the player's play folder, starts the
#                                           game (games/zakrytka in the package: CMAKE_INSTALL_BINDIR)
#   libexec/zakrytka/zakrytka               the game, under its own name, which is its window title
#   libexec/zakrytka/zakrytka-help          the help viewer, found by the game beside itself
#   share/games/zakrytka/                   sys.dll (the starting hall of fame), C, T, ZAKRYTKA.HLP;
#                                           never share/zakrytka, which with the prefix ~/.local is
#                                           the player's own play folder
#   share/applications/, share/metainfo/    the menu entry and the AppStream description, both named
#                                           after the component id org.example.zakrytka
#   share/icons/hicolor/                    the menu icon at each size it is drawn at, also for
#                                           scaled desktops (<size>@2), and scalable
#   share/man/man6/zakrytka.6.gz            the manual page
#   share/doc/zakrytka/                     copyright and changelog
#
# The launcher finds the game and its files relative to itself, so the install tree can be moved.

include(GNUInstallDirs)

set(ZAKRYTKA_APP_ID org.example.zakrytka)
set(ZAKRYTKA_INSTALL_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/zakrytka)
set(ZAKRYTKA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/zakrytka)

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
# The launcher fills the player's play folder with these: the starting hall of fame, then the rest.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/play-files)
file(STRINGS ${PROJECT_SOURCE_DIR}/data/play-files play_files REGEX "^[^#]")
list(GET play_files 0 ZAKRYTKA_SCORE_FILE)
list(SUBLIST play_files 1 -1 ZAKRYTKA_REFRESHED_FILES)
list(JOIN ZAKRYTKA_REFRESHED_FILES " " ZAKRYTKA_REFRESHED_FILES)
set(packaging ${CMAKE_CURRENT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zakrytka.sh.in ${packaging}/zakrytka @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/${ZAKRYTKA_APP_ID}.metainfo.xml.in
               ${packaging}/${ZAKRYTKA_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zakrytka.6.in ${packaging}/zakrytka.6 @ONLY)

# The changelog's newest entry names the version being built: a release adds its entry there.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^zakrytka \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog starts with '${changelog_top}', "
                        "not with an entry for version ${PROJECT_VERSION}")
endif()

# The manual page and the changelog are installed compressed, without a time stamp in the
# compressed file, as Debian wants them.
foreach(doc zakrytka.6 changelog)
    if(doc STREQUAL "changelog")
        set(doc_source ${PROJECT_SOURCE_DIR}/packaging/changelog)
    else()
        set(doc_source ${packaging}/${doc})
    endif()
    add_custom_command(OUTPUT ${packaging}/${doc}.gz
        COMMAND gzip -9nc ${doc_source} > ${packaging}/${doc}.gz
        DEPENDS ${doc_source}
        VERBATIM)
    list(APPEND compressed_docs ${packaging}/${doc}.gz)
endforeach()
add_custom_target(installed_docs ALL DEPENDS ${compressed_docs})
add_dependencies(game installed_docs)

install(TARGETS zakrytka zakrytka-help RUNTIME DESTINATION ${ZAKRYTKA_INSTALL_LIBEXECDIR})
install(PROGRAMS ${packaging}/zakrytka DESTINATION ${CMAKE_INSTALL_BINDIR})
list(TRANSFORM play_files PREPEND ${PROJECT_SOURCE_DIR}/data/)
install(FILES ${play_files} DESTINATION ${ZAKRYTKA_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${ZAKRYTKA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${ZAKRYTKA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/zakrytka.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The menu icon, drawn by tools/draw-assets beside the game's own pictures. The game's windows
# keep the application icon compiled into the game. A scaled desktop takes each size's drawing
# with twice the pixels from the size's @2 folder, which hicolor lists with Scale=2.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/menu_icon_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${ZAKRYTKA_APP_ID}.png)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/menu_icon_${size}@2x.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}@2/apps
            RENAME ${ZAKRYTKA_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/menu_icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZAKRYTKA_APP_ID}.svg)

# The Debian package: `cpack -G DEB` in the build folder. Its run-time dependencies are found by
# dpkg-shlibdeps (from dpkg-dev) from the libraries the game links; the font is named by hand, as
# no library scan can find it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zakrytka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
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
