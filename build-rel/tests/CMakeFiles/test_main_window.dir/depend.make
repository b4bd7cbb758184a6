# Empty dependencies file for test_main_window.
# This may be replaced when dependencies are built.
