# Run by CPack on the staged files before it packs them: strips the program as
# dh_strip does for an executable, dropping its symbols, debugging information and the
# .comment and .note sections.
find_program(STRIP_PROGRAM strip REQUIRED)
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/tiermend")
if(NOT programs)
  message(FATAL_ERROR "strip.cmake: no bin/tiermend under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program ${programs})
  execute_process(
    COMMAND ${STRIP_PROGRAM} --remove-section=.comment --remove-section=.note ${program}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
