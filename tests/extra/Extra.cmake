# The installed game and its Debian package, checked as a player's machine would see them. They
# are told the version the package must carry.
foreach(check install package)
    add_test(NAME ${check}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${check}.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}
                     ${PROJECT_VERSION})
    set_tests_properties(${check} PROPERTIES LABELS ${check}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;QT_LOGGING_RULES=qt.qpa.*=false")
endforeach()
# The package test makes a release build of the game of its own, which takes minutes on a fresh
# machine: it starts first, so that the other tests run beside it.
set_tests_properties(install PROPERTIES TIMEOUT 120)
set_tests_properties(package PROPERTIES TIMEOUT 600 COST 1000)
