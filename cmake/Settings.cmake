# One settings target that every target links: language level and warnings.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

add_library(volacor_settings INTERFACE)
target_compile_options(volacor_settings INTERFACE -Wall -Wextra -Werror -Wshadow -Woverloaded-virtual
                       -Wsuggest-override)

# Shared objects carry RUNPATH (never RPATH), so LD_LIBRARY_PATH can always put
# another library first; build-tree objects find their neighbours in build/lib.
add_link_options(-Wl,--enable-new-dtags)
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_BUILD_RPATH "${CMAKE_BINARY_DIR}/lib")

option(VOLACOR_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)
if(VOLACOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Registers a test program's cases with CTest. Tests run with build/lib first on the
# loader's path, so components loaded by bare name come from this build; extra
# environment entries (NAME=value) may follow.
function(volacor_discover_tests target)
  set(environment "LD_LIBRARY_PATH=${CMAKE_BINARY_DIR}/lib" ${ARGN})
  # An LD_LIBRARY_PATH among the extra entries replaces the default one.
  set(overrides ${ARGN})
  list(FILTER overrides INCLUDE REGEX "^LD_LIBRARY_PATH=")
  if(overrides)
    list(REMOVE_AT environment 0)
  endif()
  gtest_discover_tests(${target} PROPERTIES ENVIRONMENT "${environment}" DISCOVERY_TIMEOUT 30)
endfunction()

# Registers a folder's tests: each <name>_test.cpp in DIRECTORY (default: the folder's
# tests/) becomes its own program <PREFIX>_<name>_test, linked with LIBRARIES and the
# settings target, built after DEPENDS, compiled with DEFINITIONS and INCLUDES, and run
# with ENVIRONMENT (NAME=value entries, as volacor_discover_tests takes them).
#
#   volacor_add_folder_tests(PREFIX core LIBRARIES volacor_core volacor_testsupport GTest::gmock_main)
function(volacor_add_folder_tests)
  cmake_parse_arguments(arg "" "PREFIX;DIRECTORY" "LIBRARIES;DEPENDS;DEFINITIONS;INCLUDES;ENVIRONMENT" ${ARGN})
  if(NOT arg_PREFIX OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "volacor_add_folder_tests: PREFIX is required; unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_DIRECTORY)
    set(arg_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${arg_DIRECTORY}/*_test.cpp)
  if(NOT sources)
    message(FATAL_ERROR "volacor_add_folder_tests(${arg_PREFIX}): no *_test.cpp in ${arg_DIRECTORY}")
  endif()
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME_WE)
    set(target ${arg_PREFIX}_${name})
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} volacor_settings)
    if(arg_DEFINITIONS)
      target_compile_definitions(${target} PRIVATE ${arg_DEFINITIONS})
    endif()
    if(arg_INCLUDES)
      target_include_directories(${target} PRIVATE ${arg_INCLUDES})
    endif()
    if(arg_DEPENDS)
      add_dependencies(${target} ${arg_DEPENDS})
    endif()
    volacor_discover_tests(${target} ${arg_ENVIRONMENT})
  endforeach()
endfunction()
