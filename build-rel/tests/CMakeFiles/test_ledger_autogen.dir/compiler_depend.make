# Empty custom commands generated dependencies file for test_ledger_autogen.
# This may be replaced when dependencies are built.
