# Copies SRC to DST unless DST exists, so a player's edited file is kept.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
