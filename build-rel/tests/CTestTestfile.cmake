# CMake generated Testfile for 
# Source directory: /work/main/tests
# Build directory: /work/main/build-rel/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[test_text_convert]=] "/work/main/build-rel/tests/test_text_convert")
set_tests_properties([=[test_text_convert]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;7;add_test;/work/main/tests/CMakeLists.txt;13;hourwise_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[test_line_file]=] "/work/main/build-rel/tests/test_line_file")
set_tests_properties([=[test_line_file]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;7;add_test;/work/main/tests/CMakeLists.txt;14;hourwise_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[test_ledger]=] "/work/main/build-rel/tests/test_ledger")
set_tests_properties([=[test_ledger]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;7;add_test;/work/main/tests/CMakeLists.txt;15;hourwise_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[test_main_window]=] "/work/main/build-rel/tests/test_main_window")
set_tests_properties([=[test_main_window]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;7;add_test;/work/main/tests/CMakeLists.txt;16;hourwise_test;/work/main/tests/CMakeLists.txt;0;")
