# Fills the play folder: the starting score file only when there is none (a player's hall of fame
# is never overwritten), the sounds and the help file always fresh.
file(MAKE_DIRECTORY "${PLAY_DIR}")
if(NOT EXISTS "${PLAY_DIR}/sys.dll")
    file(COPY "${DATA_DIR}/sys.dll" DESTINATION "${PLAY_DIR}")
endif()
foreach(f C T ZAKRYTKA.HLP)
    if(EXISTS "${DATA_DIR}/${f}")
        file(COPY "${DATA_DIR}/${f}" DESTINATION "${PLAY_DIR}")
    endif()
endforeach()
