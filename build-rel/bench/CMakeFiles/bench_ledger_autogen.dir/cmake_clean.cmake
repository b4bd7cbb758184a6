file(REMOVE_RECURSE
  "CMakeFiles/bench_ledger_autogen"
  "bench_ledger_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/bench_ledger_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
