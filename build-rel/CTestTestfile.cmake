# CMake generated Testfile for 
# Source directory: /work/main
# Build directory: /work/main/build-rel
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("ledger")
subdirs("graph")
subdirs("ui")
subdirs("app")
subdirs("tests")
subdirs("bench")
