file(REMOVE_RECURSE
  "CMakeFiles/test_ledger_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/test_ledger_autogen.dir/ParseCache.txt"
  "test_ledger_autogen"
  "CMakeFiles/test_ledger.dir/test_ledger.cpp.o"
  "CMakeFiles/test_ledger.dir/test_ledger.cpp.o.d"
  "CMakeFiles/test_ledger.dir/test_ledger_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/test_ledger.dir/test_ledger_autogen/mocs_compilation.cpp.o.d"
  "test_ledger"
  "test_ledger.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/test_ledger.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
