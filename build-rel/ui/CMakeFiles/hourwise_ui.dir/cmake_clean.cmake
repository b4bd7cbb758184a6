file(REMOVE_RECURSE
  "CMakeFiles/hourwise_ui_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/hourwise_ui_autogen.dir/ParseCache.txt"
  "hourwise_ui_autogen"
  "CMakeFiles/hourwise_ui.dir/date_view_dialog.cpp.o"
  "CMakeFiles/hourwise_ui.dir/date_view_dialog.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/delete_dialog.cpp.o"
  "CMakeFiles/hourwise_ui.dir/delete_dialog.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/desktop.cpp.o"
  "CMakeFiles/hourwise_ui.dir/desktop.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/hourwise_ui_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/hourwise_ui.dir/hourwise_ui_autogen/mocs_compilation.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/info_window.cpp.o"
  "CMakeFiles/hourwise_ui.dir/info_window.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/main_window.cpp.o"
  "CMakeFiles/hourwise_ui.dir/main_window.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/qt_prompts.cpp.o"
  "CMakeFiles/hourwise_ui.dir/qt_prompts.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/radio_group.cpp.o"
  "CMakeFiles/hourwise_ui.dir/radio_group.cpp.o.d"
  "CMakeFiles/hourwise_ui.dir/time_dialog.cpp.o"
  "CMakeFiles/hourwise_ui.dir/time_dialog.cpp.o.d"
  "libhourwise_ui.a"
  "libhourwise_ui.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/hourwise_ui.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
