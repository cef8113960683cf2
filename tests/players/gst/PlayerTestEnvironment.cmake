# The environment the player's tests run in, and with them any other suite
# that runs the service (it can read PLAYER_TEST_ENVIRONMENT from this
# directory): GStreamer's plugin cache, a network setup that reaches only
# 127.0.0.1, and what the sanitizers need.

# The suppressions live in one file; each sanitizer refuses the other's
# entry types, so each gets the entries of its own.
set(PLAYER_SUPPRESSIONS ${CMAKE_CURRENT_SOURCE_DIR}/sanitizer-suppressions.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PLAYER_SUPPRESSIONS})
file(STRINGS ${PLAYER_SUPPRESSIONS} PLAYER_LEAK_ENTRIES REGEX "^leak:")
file(STRINGS ${PLAYER_SUPPRESSIONS} PLAYER_THREAD_ENTRIES
     REGEX "^(race|race_top|thread|mutex|signal|deadlock|called_from_lib):")
list(JOIN PLAYER_LEAK_ENTRIES "\n" PLAYER_LEAK_ENTRIES)
list(JOIN PLAYER_THREAD_ENTRIES "\n" PLAYER_THREAD_ENTRIES)
set(PLAYER_LSAN_SUPPRESSIONS ${CMAKE_CURRENT_BINARY_DIR}/lsan-suppressions.txt)
set(PLAYER_TSAN_SUPPRESSIONS ${CMAKE_CURRENT_BINARY_DIR}/tsan-suppressions.txt)
file(WRITE ${PLAYER_LSAN_SUPPRESSIONS} "${PLAYER_LEAK_ENTRIES}\n")
file(WRITE ${PLAYER_TSAN_SUPPRESSIONS} "${PLAYER_THREAD_ENTRIES}\n")

# No proxy setting of the machine may send a request anywhere but to
# 127.0.0.1. GLib's slice allocator recycles memory behind the sanitizers'
# backs; plain malloc lets them see each block's life. Leaks are matched
# against frames inside GLib and GStreamer, built without frame pointers:
# only the slow unwinder walks through them. The sanitizer options matter
# only in the sanitizer builds.
set(PLAYER_TEST_ENVIRONMENT
  GST_REGISTRY=${PLAYER_GST_REGISTRY}
  G_SLICE=always-malloc
  GIO_USE_PROXY_RESOLVER=dummy
  GSETTINGS_BACKEND=memory
  http_proxy=
  HTTP_PROXY=
  ASAN_OPTIONS=fast_unwind_on_malloc=0
  TSAN_OPTIONS=suppressions=${PLAYER_TSAN_SUPPRESSIONS}
  LSAN_OPTIONS=suppressions=${PLAYER_LSAN_SUPPRESSIONS})

# Set once the cases are discovered: gtest_discover_tests' PROPERTIES
# cannot carry a list. Two kinds of case run alone: the plane's, which take
# the machine's cores to compose, encode and decode full-size pictures, and
# the playback rate's, which need twice the decoding throughput on time.
set(PLAYER_ENVIRONMENT_SCRIPT ${CMAKE_CURRENT_BINARY_DIR}/gst_player_tests_environment.cmake)
file(WRITE ${PLAYER_ENVIRONMENT_SCRIPT}
  "foreach(test IN LISTS gst_player_tests_TESTS)\n"
  "  set_tests_properties(\${test} PROPERTIES ENVIRONMENT [==[${PLAYER_TEST_ENVIRONMENT}]==])\n"
  "  if(test MATCHES [==[^(PlaneTest|PlaybackRateTest)\\.]==])\n"
  "    set_tests_properties(\${test} PROPERTIES RUN_SERIAL TRUE)\n"
  "  endif()\n"
  "endforeach()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${PLAYER_ENVIRONMENT_SCRIPT})
