# Empty compiler generated dependencies file for test_ledger.
# This may be replaced when dependencies are built.
