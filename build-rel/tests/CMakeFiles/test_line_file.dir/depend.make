# Empty dependencies file for test_line_file.
# This may be replaced when dependencies are built.
