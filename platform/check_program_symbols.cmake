# Checks which host calls a program holds: cmake -DNM=... -DPROGRAM=...
# -DPRESENT="a;b" -DABSENT="c;d" -P check_program_symbols.cmake
# A device without the multimedia timer (or the raw escape) cannot load a
# program that calls it, so the names must not be linked in at all.
execute_process(COMMAND ${NM} -C --defined-only ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${PROGRAM}")
endif()
foreach(name ${PRESENT})
  if(NOT symbols MATCHES " ${name}\\(")
    message(FATAL_ERROR "${PROGRAM} lacks ${name}")
  endif()
endforeach()
foreach(name ${ABSENT})
  if(symbols MATCHES " ${name}\\(")
    message(FATAL_ERROR "${PROGRAM} holds ${name}")
  endif()
endforeach()
