# The structure-aware mutator (riff_tree, riff_mutator) without libFuzzer's
# entry points: the fuzz targets link it, and the tests build it with the
# default compiler. Included from fuzz/ and tests/, defined once.
include_guard(GLOBAL)
add_library(ondulo_riff_mutator STATIC ${CMAKE_CURRENT_LIST_DIR}/riff_tree.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/riff_mutator.cpp)
target_include_directories(ondulo_riff_mutator PUBLIC ${CMAKE_CURRENT_LIST_DIR})
