# The fast converters and the dispatch that picks them at run time (the
# detection of the processor's level is in convert/).
set(ZKV_BRISAL_SIMD_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ConverterLevels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonoSse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonoSsse3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonoAvx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YuvSse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YuvSsse3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YuvAvx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YuvAvx512.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BayerRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BayerSse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BayerAvx2.cpp
)
# Windows keeps the stack 16-byte aligned only, and GCC spills 256- and
# 512-bit registers with aligned moves: have the assembler make every vector
# move an unaligned one (as fast on aligned addresses) in the AVX2 and
# AVX-512 files.
if(WIN32)
  set_source_files_properties(
    ${CMAKE_CURRENT_LIST_DIR}/MonoAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/YuvAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/YuvAvx512.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BayerAvx2.cpp
    PROPERTIES COMPILE_OPTIONS "-Wa,-muse-unaligned-vector-move")
endif()
