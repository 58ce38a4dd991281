# Fails unless the shared object LIBRARY exports every name in NAMES (a ;-list) as a
# defined dynamic symbol with an unmangled (C) name. Run with cmake -P.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm -D failed on ${LIBRARY}")
endif()
set(missing "")
foreach(name IN LISTS NAMES)
  if(NOT symbols MATCHES "[0-9a-f]+ [TW] ${name}\n")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${LIBRARY} lacks the exports: ${missing}")
endif()
message(STATUS "all ${NAMES} exported")
