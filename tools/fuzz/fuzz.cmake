# One libFuzzer target per reader of outside data: tools/fuzz/<name>.cpp
# becomes fuzz_<name>. Each links only what its reader needs, so the
# platform's readers build without the engine and the game. Configured by
# tools/fuzz/run.sh.
set(fuzz_sources_xfile platform/d3dx9/mesh_xscan.cpp)
set(fuzz_libs_xfile assimp::assimp)
set(fuzz_sources_effect platform/d3dx9/effect_format.cpp platform/d3dx9/effect_states.cpp)
set(fuzz_libs_format orv_win32)
set(fuzz_libs_image orv_platform)
set(fuzz_libs_wave orv_engine)
set(fuzz_libs_param orv_engine)
set(fuzz_libs_scrambled orv_engine)
set(fuzz_libs_settings "$<LINK_GROUP:RESCAN,orv_game,orv_engine>" orv_platform)
set(fuzz_libs_luamap "$<LINK_GROUP:RESCAN,orv_game,orv_engine>" orv_platform)
file(GLOB fuzz_targets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fuzz/*.cpp)
foreach(target ${fuzz_targets})
  get_filename_component(name ${target} NAME_WE)
  list(TRANSFORM fuzz_sources_${name} PREPEND ${CMAKE_SOURCE_DIR}/)
  add_executable(fuzz_${name} ${target} ${fuzz_sources_${name}})
  target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE ${fuzz_libs_${name}})
endforeach()
