file(REMOVE_RECURSE
  "CMakeFiles/test_text_convert_autogen"
  "test_text_convert_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/test_text_convert_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
