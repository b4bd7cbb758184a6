
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/build-rel/app/hourwise_autogen/mocs_compilation.cpp" "app/CMakeFiles/hourwise.dir/hourwise_autogen/mocs_compilation.cpp.o" "gcc" "app/CMakeFiles/hourwise.dir/hourwise_autogen/mocs_compilation.cpp.o.d"
  "/work/main/app/main.cpp" "app/CMakeFiles/hourwise.dir/main.cpp.o" "gcc" "app/CMakeFiles/hourwise.dir/main.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build-rel/ui/CMakeFiles/hourwise_ui.dir/DependInfo.cmake"
  "/work/main/build-rel/graph/CMakeFiles/hourwise_graph.dir/DependInfo.cmake"
  "/work/main/build-rel/ledger/CMakeFiles/hourwise_ledger.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
