# Fills the play folder with the files of data/play-files: the starting score file only when there
# is none (a player's hall of fame is never overwritten), the sounds and the help file always fresh.
#   cmake -DPLAY_DIR=<folder> -DDATA_DIR=<data folder> -P cmake/PlayFolder.cmake
file(STRINGS "${DATA_DIR}/play-files" refreshed REGEX "^[^#]")
list(POP_FRONT refreshed score_file)
file(MAKE_DIRECTORY "${PLAY_DIR}")
if(NOT EXISTS "${PLAY_DIR}/${score_file}")
    file(COPY "${DATA_DIR}/${score_file}" DESTINATION "${PLAY_DIR}")
endif()
list(TRANSFORM refreshed PREPEND "${DATA_DIR}/")
file(COPY ${refreshed} DESTINATION "${PLAY_DIR}")
