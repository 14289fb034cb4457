# cmake -DBUILD_DIR=... -P ExpectRefused.cmake
# Builds each layer-violation target on its own and passes only when every one is refused
# because the header it reaches for is not found.
function(expect_refused target header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE result)
  if(result EQUAL 0 OR NOT out MATCHES "${header}'?:? (No such file|file not found)")
    message(FATAL_ERROR "${target} was not refused for the header it reaches for:\n${out}")
  endif()
  message(STATUS "${target}: refused as it should be")
endfunction()

expect_refused(tarvex_layer_violation "scan/ScanRoutines\\.h")
expect_refused(tarvex_widget_violation "QWidget")
