# Installs the built library into a scratch prefix, then configures and builds a small host
# program against it with find_package(tesvane) and runs it.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
# Every installed header must compile in a host program: a public header that includes a detail
# header (which is not installed) breaks here.
file(GLOB_RECURSE _installed RELATIVE ${WORK_DIR}/prefix/include/tesvane ${WORK_DIR}/prefix/include/tesvane/*.h)
if(NOT _installed)
  message(FATAL_ERROR "no headers were installed")
endif()
set(_all "")
foreach(h IN LISTS _installed)
  string(APPEND _all "#include <${h}>\n")
endforeach()
file(WRITE ${WORK_DIR}/all_headers.cpp "${_all}")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/build
  -G Ninja -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DALL_HEADERS=${WORK_DIR}/all_headers.cpp RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the host program failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the host program failed: ${rc}")
endif()
execute_process(COMMAND ${WORK_DIR}/build/host RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(rc)
  message(FATAL_ERROR "the host program failed: ${rc} ${out}")
endif()
message(STATUS "host program: ${out}")
