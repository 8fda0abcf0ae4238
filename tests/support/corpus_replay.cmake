# Replays the inputs kept in fuzz/corpus/NAME through the fuzzer fuzz/NAME_fuzz.cpp,
# built here without libFuzzer and with its entry point renamed, so that several
# fuzzers fit in one test and the normal build checks every input; one row per file.
#
#   varnelle_add_corpus_replay(TARGET
#       FUZZERS name...           fuzzer NAME: fuzz/NAME_fuzz.cpp, inputs in fuzz/corpus/NAME
#       LIBRARIES library...      what the fuzzers link
#       [SOURCES test.cpp...]     more tests of the same binary
#       [TEST_PREFIX prefix])
#
# A fuzzer is added to a replay by adding its name after FUZZERS.
include_guard(GLOBAL)

function(varnelle_add_corpus_replay target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "TEST_PREFIX" "FUZZERS;LIBRARIES;SOURCES")
    set(replay_source ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/corpus_replay_test.cpp)
    get_filename_component(fuzz_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../../fuzz ABSOLUTE)
    set(entries "")
    set(entry_libraries "")
    set(kept_inputs "")
    foreach(name IN LISTS arg_FUZZERS)
        add_library(${target}_${name} OBJECT ${fuzz_dir}/${name}_fuzz.cpp)
        target_compile_definitions(${target}_${name}
            PRIVATE LLVMFuzzerTestOneInput=varnelle_fuzz_${name})
        target_link_libraries(${target}_${name} PRIVATE ${arg_LIBRARIES} varnelle_options)
        list(APPEND entry_libraries ${target}_${name})
        # Read by corpus_replay_test.cpp as a list of FUZZER(name).
        string(APPEND entries "FUZZER(${name})")
        file(GLOB inputs CONFIGURE_DEPENDS ${fuzz_dir}/corpus/${name}/*)
        list(APPEND kept_inputs ${inputs})
    endforeach()

    add_executable(${target} ${replay_source} ${arg_SOURCES})
    target_compile_definitions(${target} PRIVATE
        VARNELLE_FUZZ_CORPUS_DIR="${fuzz_dir}/corpus"
        "VARNELLE_FUZZERS=${entries}")
    target_link_libraries(${target} PRIVATE
        ${entry_libraries} ${arg_LIBRARIES} GTest::gtest_main varnelle_options)
    # A changed or added input rebuilds the test, so that its rows are listed anew.
    set_property(SOURCE ${replay_source} APPEND PROPERTY OBJECT_DEPENDS ${kept_inputs})
    if(arg_TEST_PREFIX)
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_PREFIX ${arg_TEST_PREFIX})
    else()
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
    endif()
endfunction()
