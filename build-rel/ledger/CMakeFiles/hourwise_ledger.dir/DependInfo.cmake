
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/ledger/day_key.cpp" "ledger/CMakeFiles/hourwise_ledger.dir/day_key.cpp.o" "gcc" "ledger/CMakeFiles/hourwise_ledger.dir/day_key.cpp.o.d"
  "/work/main/build-rel/ledger/hourwise_ledger_autogen/mocs_compilation.cpp" "ledger/CMakeFiles/hourwise_ledger.dir/hourwise_ledger_autogen/mocs_compilation.cpp.o" "gcc" "ledger/CMakeFiles/hourwise_ledger.dir/hourwise_ledger_autogen/mocs_compilation.cpp.o.d"
  "/work/main/ledger/ledger.cpp" "ledger/CMakeFiles/hourwise_ledger.dir/ledger.cpp.o" "gcc" "ledger/CMakeFiles/hourwise_ledger.dir/ledger.cpp.o.d"
  "/work/main/ledger/line_file.cpp" "ledger/CMakeFiles/hourwise_ledger.dir/line_file.cpp.o" "gcc" "ledger/CMakeFiles/hourwise_ledger.dir/line_file.cpp.o.d"
  "/work/main/ledger/text_convert.cpp" "ledger/CMakeFiles/hourwise_ledger.dir/text_convert.cpp.o" "gcc" "ledger/CMakeFiles/hourwise_ledger.dir/text_convert.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
