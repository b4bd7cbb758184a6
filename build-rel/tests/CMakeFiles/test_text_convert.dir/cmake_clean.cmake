file(REMOVE_RECURSE
  "CMakeFiles/test_text_convert_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/test_text_convert_autogen.dir/ParseCache.txt"
  "test_text_convert_autogen"
  "CMakeFiles/test_text_convert.dir/test_text_convert.cpp.o"
  "CMakeFiles/test_text_convert.dir/test_text_convert.cpp.o.d"
  "CMakeFiles/test_text_convert.dir/test_text_convert_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/test_text_convert.dir/test_text_convert_autogen/mocs_compilation.cpp.o.d"
  "test_text_convert"
  "test_text_convert.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/test_text_convert.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
