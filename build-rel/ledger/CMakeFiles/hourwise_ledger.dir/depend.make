# Empty dependencies file for hourwise_ledger.
# This may be replaced when dependencies are built.
