file(REMOVE_RECURSE
  "CMakeFiles/test_main_window_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/test_main_window_autogen.dir/ParseCache.txt"
  "test_main_window_autogen"
  "CMakeFiles/test_main_window.dir/test_main_window.cpp.o"
  "CMakeFiles/test_main_window.dir/test_main_window.cpp.o.d"
  "CMakeFiles/test_main_window.dir/test_main_window_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/test_main_window.dir/test_main_window_autogen/mocs_compilation.cpp.o.d"
  "test_main_window"
  "test_main_window.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/test_main_window.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
