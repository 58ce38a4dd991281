# `cmake --install build --prefix DIR` gives a working installation that needs nothing
# of the build folder:
#   DIR/bin/volacor, DIR/bin/comrt           the command and the registration tool
#   DIR/bin/libapi5b11companion.so           the companion, beside the executables, where
#                                            the API 5B1.1 method looks for it
#   DIR/lib/libvolacor.so, libcomrt.so,      the library, the runtime and the variable
#   DIR/lib/libvarhost2.so                   server
#   DIR/share/volacor/examples/              the example streams and samples.csv
# Executables find their libraries by RUNPATH $ORIGIN/../lib, libraries their
# neighbours by $ORIGIN; nothing points back into the build.
set(VOLACOR_INSTALL_EXAMPLES share/volacor/examples)

set_target_properties(volacor_cli PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
install(TARGETS volacor_cli RUNTIME DESTINATION bin)
if(TARGET comrt_tool)
  set_target_properties(comrt_tool PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
  install(TARGETS comrt_tool RUNTIME DESTINATION bin)
endif()
foreach(library volacor comrt varhost2)
  set_target_properties(${library} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${library} LIBRARY DESTINATION lib)
endforeach()
install(TARGETS api5b11companion LIBRARY DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VOLACOR_INSTALL_EXAMPLES}
        FILES_MATCHING PATTERN "*.json" PATTERN "*.csv")
