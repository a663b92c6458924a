# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra)
if(ORVANTA_WERROR)
    add_compile_options(-Werror)
endif()

if(ORVANTA_SANITIZE)
    set(_flags "")
    foreach(_s IN LISTS ORVANTA_SANITIZE)
        list(APPEND _flags "-fsanitize=${_s}")
    endforeach()
    list(APPEND _flags -fno-omit-frame-pointer)
    if("undefined" IN_LIST ORVANTA_SANITIZE)
        list(APPEND _flags -fno-sanitize-recover=undefined)
    endif()
    add_compile_options(${_flags})
    add_link_options(${_flags})
endif()

# Adds a test that must carry labels so the runner can pick groups (unit, gui, netns, tsan, ...).
function(orvanta_label_test name)
    set_tests_properties(${name} PROPERTIES LABELS "${ARGN}")
endfunction()

# Tests that also run in the ThreadSanitizer build: labelled "tsan" and built by the
# target "tsan_tests", so that build compiles only what it runs.
if(NOT TARGET tsan_tests)
    add_custom_target(tsan_tests)
endif()
function(orvanta_tsan_test target testname)
    add_dependencies(tsan_tests ${target})
    get_test_property(${testname} LABELS _labels)
    if(NOT _labels)
        set(_labels "")
    endif()
    set_tests_properties(${testname} PROPERTIES LABELS "${_labels};tsan")
endfunction()
