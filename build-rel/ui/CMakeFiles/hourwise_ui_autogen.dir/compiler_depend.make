# Empty custom commands generated dependencies file for hourwise_ui_autogen.
# This may be replaced when dependencies are built.
