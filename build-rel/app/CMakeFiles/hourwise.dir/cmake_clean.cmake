file(REMOVE_RECURSE
  "CMakeFiles/hourwise_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/hourwise_autogen.dir/ParseCache.txt"
  "hourwise_autogen"
  "CMakeFiles/hourwise.dir/hourwise_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/hourwise.dir/hourwise_autogen/mocs_compilation.cpp.o.d"
  "CMakeFiles/hourwise.dir/main.cpp.o"
  "CMakeFiles/hourwise.dir/main.cpp.o.d"
  "hourwise"
  "hourwise.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/hourwise.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
