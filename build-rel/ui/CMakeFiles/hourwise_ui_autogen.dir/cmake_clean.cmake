file(REMOVE_RECURSE
  "CMakeFiles/hourwise_ui_autogen"
  "hourwise_ui_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/hourwise_ui_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
