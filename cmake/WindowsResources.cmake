# The Windows program's manifest (run as the invoking user, no elevation
# request) and its version resource.
enable_language(RC)

function(vornup_add_windows_resources target)
  set(VORNUP_MANIFEST_FILE ${PROJECT_SOURCE_DIR}/cmake/vornup.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/vornup.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.rc APPEND PROPERTY
               OBJECT_DEPENDS ${VORNUP_MANIFEST_FILE})
endfunction()
