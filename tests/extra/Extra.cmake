# The installed game and its Debian package, checked as a player's machine would see them. Both
# scripts install from the build tree, so they never run at the same time.
foreach(check install package)
    add_test(NAME ${check}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${check}.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
    set_tests_properties(${check} PROPERTIES
        TIMEOUT 120
        RESOURCE_LOCK zakrytka_install_tree
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;QT_LOGGING_RULES=qt.qpa.*=false")
endforeach()
