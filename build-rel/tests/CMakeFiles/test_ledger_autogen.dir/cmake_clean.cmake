file(REMOVE_RECURSE
  "CMakeFiles/test_ledger_autogen"
  "test_ledger_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/test_ledger_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
