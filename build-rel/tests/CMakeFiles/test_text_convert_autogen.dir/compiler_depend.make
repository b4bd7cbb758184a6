# Empty custom commands generated dependencies file for test_text_convert_autogen.
# This may be replaced when dependencies are built.
