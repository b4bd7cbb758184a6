file(REMOVE_RECURSE
  "CMakeFiles/bench_ledger_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/bench_ledger_autogen.dir/ParseCache.txt"
  "bench_ledger_autogen"
  "CMakeFiles/bench_ledger.dir/bench_ledger.cpp.o"
  "CMakeFiles/bench_ledger.dir/bench_ledger.cpp.o.d"
  "CMakeFiles/bench_ledger.dir/bench_ledger_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/bench_ledger.dir/bench_ledger_autogen/mocs_compilation.cpp.o.d"
  "bench_ledger"
  "bench_ledger.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/bench_ledger.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
