# Empty custom commands generated dependencies file for test_main_window_autogen.
# This may be replaced when dependencies are built.
