bench/CMakeFiles/bench_ledger.dir/bench_ledger_autogen/mocs_compilation.cpp.o: \
 /work/main/build-rel/bench/bench_ledger_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
