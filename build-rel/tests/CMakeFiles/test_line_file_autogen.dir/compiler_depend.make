# Empty custom commands generated dependencies file for test_line_file_autogen.
# This may be replaced when dependencies are built.
