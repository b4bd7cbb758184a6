# Empty custom commands generated dependencies file for hourwise_graph_autogen.
# This may be replaced when dependencies are built.
