file(MAKE_DIRECTORY ${WORK_DIR})
# EMULATOR runs a cross-built generator (wine for the Windows build).
execute_process(COMMAND ${EMULATOR} ${GENERATOR} ${WORK_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "table generator failed: ${status}")
endif()
foreach(name DefaultTablesKE.inc DefaultTablesKD.inc)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${name} ${SOURCE_DIR}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs from what the generator makes")
  endif()
endforeach()
