# The tests of the Windows build, run under Wine by ctest (the toolchain names Wine as the
# emulator). GoogleTest is built from Debian's sources with the same compiler. One test per
# program: each start of Wine costs time.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(TESSARON_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
add_subdirectory(${TESSARON_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock)
  # GoogleTest's own warnings are not this project's to fix.
  set_target_properties(${library} PROPERTIES COMPILE_OPTIONS "-w")
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()

add_library(tessaron_test_support INTERFACE)
target_include_directories(tessaron_test_support INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})

function(tessaron_windows_test_program name)
  cmake_parse_arguments(PARSE_ARGV 1 program "" "" "SOURCES;LIBRARIES")
  add_executable(${name} ${program_SOURCES})
  target_link_libraries(${name} PRIVATE ${program_LIBRARIES} tessaron_test_support GTest::gtest
                        GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# The core's tests, but for the one of its POSIX file routes (links, permissions, pipes).
set(core_sources ${TESSARON_CORE_TEST_SOURCES})
list(REMOVE_ITEM core_sources core/config_file_test.cpp)
tessaron_windows_test_program(core_tests SOURCES ${core_sources} LIBRARIES tessaron_core)
target_compile_definitions(core_tests PRIVATE
  TESSARON_DECODE_CORPUS="${CMAKE_SOURCE_DIR}/fuzz/corpus/fuzz_decode_settings")
tessaron_windows_test_program(flows_tests
  SOURCES flows/reader_flows_test.cpp
  LIBRARIES tessaron_flows tessaron_sim)
tessaron_windows_test_program(windows_transport_tests
  SOURCES transport/com_port_entry_test.cpp windows/device_names_test.cpp
  LIBRARIES tessaron_flows tessaron_sim tessaron_transport)

# The window program's tests, where the build has the window program (a Qt for Windows was
# given), and the Windows watch of device arrival and removal.
if(TARGET tessaron_app)
  add_subdirectory(app)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(device_monitor_test windows/device_monitor_test.cpp)
  set_target_properties(device_monitor_test PROPERTIES AUTOMOC ON)
  target_link_libraries(device_monitor_test PRIVATE tessaron_app Qt6::Test)
  add_test(NAME device_monitor_test COMMAND device_monitor_test)
  set_tests_properties(device_monitor_test PROPERTIES TIMEOUT 120)
endif()
