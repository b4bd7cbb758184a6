
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/graph/bar_chart_view.cpp" "graph/CMakeFiles/hourwise_graph.dir/bar_chart_view.cpp.o" "gcc" "graph/CMakeFiles/hourwise_graph.dir/bar_chart_view.cpp.o.d"
  "/work/main/graph/chart_output.cpp" "graph/CMakeFiles/hourwise_graph.dir/chart_output.cpp.o" "gcc" "graph/CMakeFiles/hourwise_graph.dir/chart_output.cpp.o.d"
  "/work/main/graph/graph_builder.cpp" "graph/CMakeFiles/hourwise_graph.dir/graph_builder.cpp.o" "gcc" "graph/CMakeFiles/hourwise_graph.dir/graph_builder.cpp.o.d"
  "/work/main/build-rel/graph/hourwise_graph_autogen/mocs_compilation.cpp" "graph/CMakeFiles/hourwise_graph.dir/hourwise_graph_autogen/mocs_compilation.cpp.o" "gcc" "graph/CMakeFiles/hourwise_graph.dir/hourwise_graph_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build-rel/ledger/CMakeFiles/hourwise_ledger.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
