# Empty dependencies file for hourwise_graph.
# This may be replaced when dependencies are built.
