# Shared build settings and the layout of the application folder.
#
# The build assembles the same tree that the program looks for at run time and that
# `cmake --install` writes under its prefix:
#   bin/ (programs and libraries)  res/  etc/  scripts/general  scripts/test  tests/  translations/

set(ZT_APP_DIR "${CMAKE_BINARY_DIR}/zovan" CACHE PATH "Assembled application folder")
set(ZT_APP_BIN_DIR "${ZT_APP_DIR}/bin")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${ZT_APP_BIN_DIR}")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${ZT_APP_BIN_DIR}")
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib")
file(MAKE_DIRECTORY "${ZT_APP_DIR}/bin" "${ZT_APP_DIR}/res" "${ZT_APP_DIR}/etc"
     "${ZT_APP_DIR}/scripts/general" "${ZT_APP_DIR}/scripts/test" "${ZT_APP_DIR}/tests"
     "${ZT_APP_DIR}/translations")

# Libraries sit beside the programs, in build and install trees alike.
set(CMAKE_BUILD_RPATH "${ZT_APP_BIN_DIR}")
set(CMAKE_INSTALL_RPATH "$ORIGIN")
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_library(zt_common_cfg INTERFACE)
target_compile_options(zt_common_cfg INTERFACE
    -Wall -Wextra -Werror -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(zt_common_cfg INTERFACE
    QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)
target_include_directories(zt_common_cfg INTERFACE "${CMAKE_SOURCE_DIR}")

include("${CMAKE_CURRENT_LIST_DIR}/ZtSanitizers.cmake")

# The release and the application's identity, for programs, windows and the simulated unit.
if(PROJECT_VERSION_TWEAK STREQUAL "")
    set(ZT_VERSION_REVISION 0)
else()
    set(ZT_VERSION_REVISION ${PROJECT_VERSION_TWEAK})
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/ztversion.h.in" "${CMAKE_BINARY_DIR}/generated/ztversion.h" @ONLY)
add_library(zt_version INTERFACE)
target_include_directories(zt_version INTERFACE "${CMAKE_BINARY_DIR}/generated")

# zt_add_library(NAME SHARED|STATIC SOURCES ... LIBS ...)
# Process-wide singletons (log engine, plug-in manager, port registry) must exist once,
# so everything that holds one is a shared library.
function(zt_add_library name kind)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
    add_library(${name} ${kind} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zt_common_cfg ${ARG_LIBS} PUBLIC ${ARG_PUBLIC_LIBS})
    target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
    if(kind STREQUAL "SHARED")
        install(TARGETS ${name} LIBRARY DESTINATION bin RUNTIME DESTINATION bin)
    endif()
endfunction()

# zt_add_test(NAME SOURCES ... LIBS ... [GUI] [TIMEOUT s])
# Test programs live outside the application folder; ZOVAN_APP_ROOT points them at it.
function(zt_add_test name)
    cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/autotests-bin")
    target_link_libraries(${name} PRIVATE zt_common_cfg Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(env "ZOVAN_APP_ROOT=${ZT_APP_DIR}" ${ZT_SANITIZER_TEST_ENV})
    if(ARG_GUI)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# zt_add_executable(NAME SOURCES ... LIBS ...): a program of the application folder.
function(zt_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zt_common_cfg ${ARG_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION bin)
endfunction()

# zt_add_bench(NAME SOURCES ... LIBS ...): a benchmark program in <build>/bench-bin, where
# `./zt bench` finds it; ctest leaves it out and it is not installed.
function(zt_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench-bin")
    target_link_libraries(${name} PRIVATE zt_common_cfg ${ARG_LIBS})
endfunction()

# zt_copy_to_app_dir(TARGET SUBDIR FILES...): copy data files into the application folder
# at build time (scripts, keyword lists, pictures).
function(zt_copy_to_app_dir target subdir)
    set(outputs)
    foreach(f IN LISTS ARGN)
        get_filename_component(fname "${f}" NAME)
        set(out "${ZT_APP_DIR}/${subdir}/${fname}")
        add_custom_command(OUTPUT "${out}"
            COMMAND ${CMAKE_COMMAND} -E copy_if_different "${f}" "${out}"
            DEPENDS "${f}" VERBATIM)
        list(APPEND outputs "${out}")
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
