# tarvex_install_gzipped(SOURCE DESTINATION): installs the file SOURCE compressed, as its name
# plus .gz, into DESTINATION, the way Debian keeps manual pages and changelogs: gzip -9n, best
# compression and no name or time stamp in the header, so the same text gives the same bytes.
find_program(GZIP_EXECUTABLE gzip REQUIRED)

function(tarvex_install_gzipped source destination)
  get_filename_component(name "${source}" NAME)
  set(copy "${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name}")
  add_custom_command(OUTPUT "${copy}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${copy}"
    COMMAND ${GZIP_EXECUTABLE} -9nf "${copy}"
    DEPENDS "${source}"
    COMMENT "Compressing ${name}"
    VERBATIM)
  add_custom_target("gzipped_${name}" ALL DEPENDS "${copy}.gz")
  install(FILES "${copy}.gz" DESTINATION "${destination}")
endfunction()
