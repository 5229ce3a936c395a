# Unit tests beside the code, and the end-to-end cases under tests/cases.

if(CMAKE_CROSSCOMPILING)
  # The system's GoogleTest is built for the host; build it for the target
  # from its sources.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  set(LOGWELD_GTEST_MAIN GTest::gtest_main)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
  set(LOGWELD_GTEST_MAIN GTest::gtest_main)
endif()

add_executable(logweld_tests
  driver/paths_test.cpp
  driver/report_test.cpp
  records/event_line_test.cpp
  records/file_table_test.cpp
  records/piece_reader_test.cpp
  records/scanner_test.cpp
  splice/chain_test.cpp
  splice/write_behind_test.cpp
  splice/writer_test.cpp
  tests/test_util.cpp)
target_link_libraries(logweld_tests PRIVATE logweld_core ${LOGWELD_GTEST_MAIN})
add_test(NAME unit COMMAND logweld_tests)

# One test per end-to-end case, run by the harness against the program.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_CROSSCOMPILING)
  set(LOGWELD_E2E_FLAVOUR windows)
else()
  set(LOGWELD_E2E_FLAVOUR posix)
endif()
file(GLOB LOGWELD_CASES LIST_DIRECTORIES true CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/tests/cases/*)
foreach(case_dir ${LOGWELD_CASES})
  if(IS_DIRECTORY ${case_dir})
    get_filename_component(case_name ${case_dir} NAME)
    add_test(NAME e2e.${case_name}
             COMMAND ${Python3_EXECUTABLE}
                     ${CMAKE_CURRENT_SOURCE_DIR}/tests/run_cases.py
                     --program $<TARGET_FILE:logweld>
                     --flavour ${LOGWELD_E2E_FLAVOUR}
                     --work ${CMAKE_CURRENT_BINARY_DIR}/e2e
                     "--wine=${CMAKE_CROSSCOMPILING_EMULATOR}"
                     ${case_dir})
  endif()
endforeach()

# Interrupted and simultaneous runs.
add_test(NAME interrupt
         COMMAND ${Python3_EXECUTABLE}
                 ${CMAKE_CURRENT_SOURCE_DIR}/tests/interrupt_test.py
                 --program $<TARGET_FILE:logweld>
                 --work ${CMAKE_CURRENT_BINARY_DIR}/e2e
                 "--wine=${CMAKE_CROSSCOMPILING_EMULATOR}")

# The portable paths of the field parser and the piece reader, used where
# SSE2 is not there, checked against the same tables of cases. Their own
# objects come before the library's, which supplies the rest.
add_executable(portable_test records/event_line.cpp records/event_line_test.cpp
                             records/piece_reader.cpp
                             records/piece_reader_test.cpp tests/test_util.cpp)
target_compile_options(portable_test PRIVATE -U__SSE2__)
target_link_libraries(portable_test PRIVATE logweld_core ${LOGWELD_GTEST_MAIN})
add_test(NAME unit.portable COMMAND portable_test)
