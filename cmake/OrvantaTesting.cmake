# One way to declare a test, so that every test carries the labels the runner picks groups by.
#
# orvanta_add_test(NAME
#     KIND unit|gui|netns [tsan]   what the test needs: unit runs anywhere; gui runs offscreen;
#                                  netns makes its own test network through its COMMAND_PREFIX
#                                  and is skipped (exit 77) where it cannot; tsan also builds and
#                                  runs it in the ThreadSanitizer build (target tsan_tests)
#     [SOURCES file...]            builds the program NAME from these (relative to the caller)
#     [PROGRAM target]             runs this program target instead (several tests, one program)
#     [COMMAND word...]            runs this command instead (a script)
#     [LIBS library...]            linked into the program built from SOURCES
#     [COMMAND_PREFIX word...]     runs the program through this (a test-network script)
#     [ARGS argument...]           the program's arguments
#     [ENV VAR=value...]           environment of the test
#     [LABELS label...]            more labels (aravis, fuzz, noasan, ...)
#     [TIMEOUT seconds] [SERIAL])  SERIAL: never beside another test (timing-sensitive peers)

if(NOT TARGET tsan_tests)
    add_custom_target(tsan_tests)
endif()

function(orvanta_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 T "SERIAL" "PROGRAM;TIMEOUT"
        "KIND;SOURCES;COMMAND;LIBS;COMMAND_PREFIX;ARGS;ENV;LABELS")
    if(T_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvanta_add_test(${name}): unknown arguments ${T_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT T_KIND)
        message(FATAL_ERROR "orvanta_add_test(${name}): KIND unit|gui|netns [tsan] is required")
    endif()
    foreach(_kind IN LISTS T_KIND)
        if(NOT _kind MATCHES "^(unit|gui|netns|tsan)$")
            message(FATAL_ERROR "orvanta_add_test(${name}): unknown KIND ${_kind}")
        endif()
    endforeach()

    set(_program ${T_PROGRAM})
    if(T_SOURCES)
        add_executable(${name} ${T_SOURCES})
        target_link_libraries(${name} PRIVATE ${T_LIBS})
        set(_program ${name})
    endif()

    if(T_COMMAND)
        set(_command ${T_COMMAND})
    elseif(T_COMMAND_PREFIX)
        # A wrapped program does not get the cross-compiling emulator from CMake itself.
        set(_command ${T_COMMAND_PREFIX} ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:${_program}>)
    elseif(_program)
        set(_command ${_program})
    else()
        message(FATAL_ERROR "orvanta_add_test(${name}): SOURCES, PROGRAM or COMMAND is required")
    endif()
    add_test(NAME ${name} COMMAND ${_command} ${T_ARGS})

    set(_env ${T_ENV})
    if("gui" IN_LIST T_KIND)
        list(APPEND _env QT_QPA_PLATFORM=offscreen QTEST_DISABLE_STACK_DUMP=1)
    endif()
    set(_labels ${T_KIND} ${T_LABELS})
    set_tests_properties(${name} PROPERTIES LABELS "${_labels}" SKIP_RETURN_CODE 77)
    if(_env)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${_env}")
    endif()
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
    if(T_SERIAL)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
    endif()
    if("tsan" IN_LIST T_KIND AND _program)
        add_dependencies(tsan_tests ${_program})
    endif()
endfunction()
