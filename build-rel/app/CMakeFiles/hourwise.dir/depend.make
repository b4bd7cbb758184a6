# Empty dependencies file for hourwise.
# This may be replaced when dependencies are built.
