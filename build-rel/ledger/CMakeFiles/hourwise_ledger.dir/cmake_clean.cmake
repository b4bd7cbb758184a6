file(REMOVE_RECURSE
  "CMakeFiles/hourwise_ledger_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/hourwise_ledger_autogen.dir/ParseCache.txt"
  "hourwise_ledger_autogen"
  "CMakeFiles/hourwise_ledger.dir/day_key.cpp.o"
  "CMakeFiles/hourwise_ledger.dir/day_key.cpp.o.d"
  "CMakeFiles/hourwise_ledger.dir/hourwise_ledger_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/hourwise_ledger.dir/hourwise_ledger_autogen/mocs_compilation.cpp.o.d"
  "CMakeFiles/hourwise_ledger.dir/ledger.cpp.o"
  "CMakeFiles/hourwise_ledger.dir/ledger.cpp.o.d"
  "CMakeFiles/hourwise_ledger.dir/line_file.cpp.o"
  "CMakeFiles/hourwise_ledger.dir/line_file.cpp.o.d"
  "CMakeFiles/hourwise_ledger.dir/text_convert.cpp.o"
  "CMakeFiles/hourwise_ledger.dir/text_convert.cpp.o.d"
  "libhourwise_ledger.a"
  "libhourwise_ledger.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/hourwise_ledger.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
