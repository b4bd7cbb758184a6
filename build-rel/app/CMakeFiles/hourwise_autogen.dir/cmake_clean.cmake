file(REMOVE_RECURSE
  "CMakeFiles/hourwise_autogen"
  "hourwise_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/hourwise_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
