# The fuzz build: every object instrumented for libFuzzer's coverage feedback
# and built with AddressSanitizer and UndefinedBehaviorSanitizer; the fuzz
# targets themselves link libFuzzer's runtime (Debian: libclang-rt-14-dev).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "KALMORA_FUZZ needs clang (configure with CC=clang CXX=clang++)")
endif()
if(KALMORA_SANITIZE)
  message(FATAL_ERROR "KALMORA_FUZZ brings its own sanitizers: leave KALMORA_SANITIZE off")
endif()
add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -gline-tables-only)
add_link_options(-fsanitize=address,undefined)
if(KALMORA_FUZZ_COVERAGE)
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()
