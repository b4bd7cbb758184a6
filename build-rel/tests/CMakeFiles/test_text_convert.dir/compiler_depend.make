# Empty compiler generated dependencies file for test_text_convert.
# This may be replaced when dependencies are built.
