# GoogleTest for the test programs, and the gtest_discover_tests helper.
#
# Suites link GTest::gtest, GTest::gtest_main, GTest::gmock or
# GTest::gmock_main on every build. Natively these come from the installed
# libgtest-dev/libgmock-dev; on a cross build they are compiled here from the
# sources libgtest-dev ships, with the cross compiler, since the host's
# libraries are x86-64.
include(GoogleTest)

set(RUVO_GOOGLETEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources built for cross builds")

# Builds googletest from source as part of this project. Its own sources are
# third-party code: they get our warnings but not -Werror, and its headers
# are system headers for our code, as the installed ones are natively.
function(ruvo_add_googletest_from_source)
  if(NOT EXISTS ${RUVO_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in "
      "${RUVO_GOOGLETEST_SOURCE_DIR}; install libgtest-dev")
  endif()
  set(INSTALL_GTEST OFF)
  set(BUILD_GMOCK ON)

  # A subdirectory inherits the directory's compile options when added.
  get_directory_property(ruvo_options COMPILE_OPTIONS)
  set(third_party_options ${ruvo_options})
  list(FILTER third_party_options EXCLUDE REGEX "^-Werror")
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${third_party_options}")
  add_subdirectory(${RUVO_GOOGLETEST_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${ruvo_options}")

  foreach(lib gtest gtest_main gmock gmock_main)
    get_target_property(dirs ${lib} INTERFACE_INCLUDE_DIRECTORIES)
    set_target_properties(${lib} PROPERTIES
      INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${dirs}")
    if(NOT TARGET GTest::${lib})  # googletest 1.11+ adds these itself
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
endfunction()

if(CMAKE_CROSSCOMPILING)
  ruvo_add_googletest_from_source()
  # Listing a test program's cases runs it; under the emulator do that when
  # CTest starts rather than after every link.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
else()
  find_package(GTest REQUIRED)
endif()

# Seconds a test program may take to list its cases. gtest's default of 5 is
# tight for a program started under qemu on a loaded 2-core machine.
set(RUVO_GTEST_DISCOVERY_TIMEOUT 60 CACHE STRING
    "Seconds allowed for listing the cases of one test program")

# ruvo_add_gtest(<target> [<gtest_discover_tests options>...])
# Registers every case of a test program with CTest, natively or under the
# cross build's emulator. Options given override the defaults here. A
# parameterized case is named by its suite's name generator alone: the
# parameter's printed bytes would only make the name unreadable.
function(ruvo_add_gtest target)
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT ${RUVO_GTEST_DISCOVERY_TIMEOUT}
    NO_PRETTY_VALUES
    ${ARGN})
endfunction()
