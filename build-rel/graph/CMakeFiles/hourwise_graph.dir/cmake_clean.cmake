file(REMOVE_RECURSE
  "CMakeFiles/hourwise_graph_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/hourwise_graph_autogen.dir/ParseCache.txt"
  "hourwise_graph_autogen"
  "CMakeFiles/hourwise_graph.dir/bar_chart_view.cpp.o"
  "CMakeFiles/hourwise_graph.dir/bar_chart_view.cpp.o.d"
  "CMakeFiles/hourwise_graph.dir/chart_output.cpp.o"
  "CMakeFiles/hourwise_graph.dir/chart_output.cpp.o.d"
  "CMakeFiles/hourwise_graph.dir/graph_builder.cpp.o"
  "CMakeFiles/hourwise_graph.dir/graph_builder.cpp.o.d"
  "CMakeFiles/hourwise_graph.dir/hourwise_graph_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/hourwise_graph.dir/hourwise_graph_autogen/mocs_compilation.cpp.o.d"
  "libhourwise_graph.a"
  "libhourwise_graph.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/hourwise_graph.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
