# Empty dependencies file for bench_ledger.
# This may be replaced when dependencies are built.
