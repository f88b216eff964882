# The fuzzing build (`make fuzz`, folder build-fuzz): clang instruments the project's own code
# for libFuzzer's coverage and with AddressSanitizer and UndefinedBehaviorSanitizer; Qt and the
# system libraries stay as Debian built them (same libstdc++, so they link as usual). Any
# sanitizer report ends the run, so the fuzzer keeps the input that caused it.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzzing build needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

# corvane_fuzzer(NAME SOURCES... LIBS libs...): one libFuzzer program, build-fuzz/bin/NAME.
function(corvane_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE corvane_fuzz_support ${ARG_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
endfunction()
