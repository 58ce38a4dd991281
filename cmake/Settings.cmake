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
