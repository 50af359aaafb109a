# libFuzzer targets over the portable core (clang). The core is compiled a
# second time with coverage instrumentation so the fuzzer sees into it; the
# unit-test build is left as it is. UBSan findings abort here, so that
# libFuzzer records them like any crash.
set(FUZZ_TARGETS sms_file mms_header recipients hex_ucs2 gsm7 unescape_line_breaks
    at_answers daily_log profile_text user_records two_way_entry monitor_files addresses tls_wire)

add_library(portable_core_fuzz STATIC ${PORTABLE_CORE_SOURCES})
target_include_directories(portable_core_fuzz PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs)
target_compile_options(portable_core_fuzz PRIVATE -fsanitize=fuzzer-no-link -fno-sanitize-recover=all)

add_custom_target(fuzz_targets)
foreach(name IN LISTS FUZZ_TARGETS)
  add_executable(fuzz_${name} ${CMAKE_SOURCE_DIR}/fuzz/${name}_fuzz.cpp)
  target_link_libraries(fuzz_${name} PRIVATE portable_core_fuzz)
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer -fno-sanitize-recover=all)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_targets fuzz_${name})
endforeach()
