# Empty compiler generated dependencies file for hourwise.
# This may be replaced when dependencies are built.
