file(REMOVE_RECURSE
  "CMakeFiles/test_line_file_autogen"
  "test_line_file_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/test_line_file_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
