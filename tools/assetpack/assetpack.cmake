# The generated asset pack: textures, meshes, sounds and music under ${ORV_GAME_DIR}/data
# and their scrambled copies under ${ORV_GAME_DIR}/data2. The tool runs again when one of
# its sources changes or one of its two stamps (one in each tree) is missing.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

file(GLOB ORV_ASSETPACK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.py)
list(FILTER ORV_ASSETPACK_SOURCES EXCLUDE REGEX "/test_[^/]*\\.py$")

# The stages loop their music between byte positions far into each track, so the
# tracks must run past those positions (about 330 MB with their copies).
set(ORV_ASSETPACK_ARGS --out ${ORV_GAME_DIR} --full-music)

add_custom_command(
  OUTPUT ${ORV_GAME_DIR}/data/.assetpack-stamp ${ORV_GAME_DIR}/data2/.assetpack-stamp
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/assetpack.py ${ORV_ASSETPACK_ARGS}
  DEPENDS ${ORV_ASSETPACK_SOURCES}
  COMMENT "Generating the asset pack in ${ORV_GAME_DIR}"
  VERBATIM)
add_custom_target(orv_assetpack
  DEPENDS ${ORV_GAME_DIR}/data/.assetpack-stamp ${ORV_GAME_DIR}/data2/.assetpack-stamp)
