# Empty dependencies file for hourwise_ui.
# This may be replaced when dependencies are built.
