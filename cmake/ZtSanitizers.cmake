# Sanitizer configurations: -DZT_SANITIZE=address (ASan + UBSan, leak checking on) or
# -DZT_SANITIZE=thread (TSan). The flags apply to every target; ZT_SANITIZER_TEST_ENV holds
# the run-time options that zt_add_test gives each test, and <build>/sanitizer-env.sh the same
# for anything run by hand.
#
# Debian's Qt is not instrumented: tsan.supp only tells TSan to ignore what happens inside the
# Qt libraries themselves (called_from_lib), never races in our code, and cmake/tsan/qtsync.cpp
# restores the ordering guarantees that TSan cannot see inside Qt. Leak checking runs without
# suppressions: Qt and fontconfig leave nothing behind under the offscreen platform.

set(ZT_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
set_property(CACHE ZT_SANITIZE PROPERTY STRINGS "" address thread)

set(ZT_SANITIZER_FLAGS "")
set(ZT_SANITIZER_TEST_ENV "")
if(ZT_SANITIZE STREQUAL "address")
    set(ZT_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    set(ZT_SANITIZER_TEST_ENV
        "ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
elseif(ZT_SANITIZE STREQUAL "thread")
    set(ZT_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
    # exitcode: a report turns a passing test program into a failing one.
    set(ZT_SANITIZER_TEST_ENV
        "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tsan.supp:second_deadlock_stack=1:halt_on_error=0:exitcode=66:print_suppressions=0")
elseif(NOT ZT_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ZT_SANITIZE must be empty, address or thread")
endif()

if(ZT_SANITIZER_FLAGS)
    add_compile_options(${ZT_SANITIZER_FLAGS})
    add_link_options(${ZT_SANITIZER_FLAGS})
endif()

# Under TSan every target links zt_tsan_qtsync first: it tells TSan about the ordering that
# QThread::wait, QSemaphore and QWaitCondition guarantee inside the uninstrumented Qt.
if(ZT_SANITIZE STREQUAL "thread")
    add_library(zt_tsan_qtsync SHARED "${CMAKE_CURRENT_LIST_DIR}/tsan/qtsync.cpp")
    target_link_libraries(zt_tsan_qtsync PRIVATE Qt6::Core ${CMAKE_DL_LIBS})
    set_target_properties(zt_tsan_qtsync PROPERTIES AUTOMOC OFF)
    install(TARGETS zt_tsan_qtsync LIBRARY DESTINATION bin)
    link_libraries(zt_tsan_qtsync)
endif()

set(_zt_env_script "# Generated: sanitizer run-time options of this build.\n")
foreach(_zt_entry IN LISTS ZT_SANITIZER_TEST_ENV)
    string(REGEX REPLACE "^([A-Z_]+)=(.*)$" "export \\1='\\2'\n" _zt_line "${_zt_entry}")
    string(APPEND _zt_env_script "${_zt_line}")
endforeach()
file(WRITE "${CMAKE_BINARY_DIR}/sanitizer-env.sh" "${_zt_env_script}")
unset(_zt_env_script)
unset(_zt_entry)
unset(_zt_line)
