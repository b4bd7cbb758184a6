
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/ui/date_view_dialog.cpp" "ui/CMakeFiles/hourwise_ui.dir/date_view_dialog.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/date_view_dialog.cpp.o.d"
  "/work/main/ui/delete_dialog.cpp" "ui/CMakeFiles/hourwise_ui.dir/delete_dialog.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/delete_dialog.cpp.o.d"
  "/work/main/ui/desktop.cpp" "ui/CMakeFiles/hourwise_ui.dir/desktop.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/desktop.cpp.o.d"
  "/work/main/build-rel/ui/hourwise_ui_autogen/mocs_compilation.cpp" "ui/CMakeFiles/hourwise_ui.dir/hourwise_ui_autogen/mocs_compilation.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/hourwise_ui_autogen/mocs_compilation.cpp.o.d"
  "/work/main/ui/info_window.cpp" "ui/CMakeFiles/hourwise_ui.dir/info_window.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/info_window.cpp.o.d"
  "/work/main/ui/main_window.cpp" "ui/CMakeFiles/hourwise_ui.dir/main_window.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/main_window.cpp.o.d"
  "/work/main/ui/qt_prompts.cpp" "ui/CMakeFiles/hourwise_ui.dir/qt_prompts.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/qt_prompts.cpp.o.d"
  "/work/main/ui/radio_group.cpp" "ui/CMakeFiles/hourwise_ui.dir/radio_group.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/radio_group.cpp.o.d"
  "/work/main/ui/time_dialog.cpp" "ui/CMakeFiles/hourwise_ui.dir/time_dialog.cpp.o" "gcc" "ui/CMakeFiles/hourwise_ui.dir/time_dialog.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build-rel/graph/CMakeFiles/hourwise_graph.dir/DependInfo.cmake"
  "/work/main/build-rel/ledger/CMakeFiles/hourwise_ledger.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
