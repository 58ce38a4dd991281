# End-to-end tests of the real binary: volacor -> runtime -> registry -> libvolacor.so ->
# reference host -> engine. Each is a script in end_to_end/.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(e2e_environment
    VOLACOR=$<TARGET_FILE:volacor_cli>
    EXAMPLES=${PROJECT_SOURCE_DIR}/examples
    PYTHON=${Python3_EXECUTABLE}
    BUILD_DIR=${CMAKE_BINARY_DIR}
    LIBRARY=$<TARGET_FILE:volacor>
    COMRT=$<TARGET_FILE:comrt_tool>)
foreach(name examples pentane bad_input batch_jobs activation commands install)
  add_test(NAME cli_${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/end_to_end/${name}_test.sh)
  set_tests_properties(cli_${name} PROPERTIES ENVIRONMENT "${e2e_environment}" TIMEOUT 600)
endforeach()
# Installing writes into the build's install manifest; keep it apart from the others.
set_tests_properties(cli_install PROPERTIES RUN_SERIAL TRUE)
