file(REMOVE_RECURSE
  "CMakeFiles/test_line_file_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/test_line_file_autogen.dir/ParseCache.txt"
  "test_line_file_autogen"
  "CMakeFiles/test_line_file.dir/test_line_file.cpp.o"
  "CMakeFiles/test_line_file.dir/test_line_file.cpp.o.d"
  "CMakeFiles/test_line_file.dir/test_line_file_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/test_line_file.dir/test_line_file_autogen/mocs_compilation.cpp.o.d"
  "test_line_file"
  "test_line_file.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/test_line_file.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
