file(REMOVE_RECURSE
  "CMakeFiles/hourwise_ledger_autogen"
  "hourwise_ledger_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/hourwise_ledger_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
