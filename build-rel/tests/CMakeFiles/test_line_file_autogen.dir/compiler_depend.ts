# CMAKE generated file: DO NOT EDIT!
# Timestamp file for custom commands dependencies management for test_line_file_autogen.
