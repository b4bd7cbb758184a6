# Empty custom commands generated dependencies file for hourwise_autogen.
# This may be replaced when dependencies are built.
