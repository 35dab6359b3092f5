# The RPM, for check_packages.cmake: its header, its files (those of the
# .deb) and its dependencies, and its installation into a scratch root with
# rpm --root.

function(rpm_query out_var)
  execute_process(COMMAND ${RPM} ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "rpm ${ARGN} failed:\n${output}${errors}")
  endif()
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

function(check_linux_rpm rpm)
  set(file ${WORK}/out/${rpm})
  rpm_query(header -qp --queryformat "%{NAME} %{VERSION} %{RELEASE} %{ARCH}" ${file})
  if(NOT header STREQUAL "vornup ${VERSION} 1 x86_64")
    message(FATAL_ERROR "${rpm} is '${header}'")
  endif()

  # The .deb's files and folders, less the folders of the base system.
  set(expected ${deb_tree})
  list(REMOVE_ITEM expected etc opt usr usr/bin usr/share usr/share/doc usr/share/man
                            usr/share/man/man1)
  list(TRANSFORM expected PREPEND /)
  list(SORT expected)
  rpm_query(listing -qlp ${file})
  string(STRIP "${listing}" listing)
  string(REPLACE "\n" ";" listing "${listing}")
  list(SORT listing)
  if(NOT listing STREQUAL expected)
    message(FATAL_ERROR "${rpm} holds ${listing}\nbut should hold ${expected}")
  endif()

  # Nothing beyond the C library and the shell the scriptlets run in (a
  # sanitizer build's program needs its runtimes: it is never shipped).
  if(SHARED_CXX_RUNTIME)
    return()
  endif()
  rpm_query(requires -qpR ${file})
  string(STRIP "${requires}" requires)
  string(REPLACE "\n" ";" requires "${requires}")
  foreach(requirement ${requires})
    if(NOT requirement MATCHES "^((libc|libm|ld-linux-x86-64)\\.so\\.[0-9]+\\(|rtld\\(GNU_HASH\\)$|rpmlib\\(|/bin/sh$)")
      message(FATAL_ERROR "${rpm} requires '${requirement}', beyond the C library")
    endif()
  endforeach()
endfunction()

# rpm runs the scriptlets chrooted into the scratch root: the shell and the
# commands they use come into it, with the libraries they load.
function(provide_commands root)
  foreach(command sh cp chmod mv rm rmdir)
    find_program(program_${command} ${command} PATHS /bin /usr/bin NO_DEFAULT_PATH NO_CACHE)
    set(program ${program_${command}})
    if(NOT program)
      message(FATAL_ERROR "no ${command} for the scratch root")
    endif()
    set(files ${program})
    execute_process(COMMAND ldd ${program} OUTPUT_VARIABLE libraries ERROR_QUIET)
    string(REGEX MATCHALL "/[^ \t\n]+" libraries "${libraries}")
    list(APPEND files ${libraries})
    foreach(path ${files})
      get_filename_component(real ${path} REALPATH)
      if(path STREQUAL program)
        set(destination ${root}/bin/${command})
      else()
        set(destination ${root}${path})
      endif()
      get_filename_component(into ${destination} DIRECTORY)
      file(MAKE_DIRECTORY ${into})
      file(COPY_FILE ${real} ${destination})
      file(CHMOD ${destination} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    endforeach()
  endforeach()
  file(MAKE_DIRECTORY ${root}/tmp ${root}/var/tmp)
endfunction()

function(rpm_install root file)
  if(NOT EXISTS ${root}/bin/sh)
    provide_commands(${root})
    run_expecting(0 log ${RPM} --root ${root} --initdb)
  endif()
  # The scratch root has no C library package: --nodeps. A failed scriptlet
  # is only a warning to rpm, so its output must be clean.
  run_expecting(0 log ${RPM} --root ${root} -U --nodeps ${file})
  if(log MATCHES "scriptlet failed|error:")
    message(FATAL_ERROR "rpm -U ${file}:\n${log}")
  endif()
endfunction()

function(rpm_remove root)
  run_expecting(0 log ${RPM} --root ${root} -e --nodeps vornup)
  if(log MATCHES "scriptlet failed|error:")
    message(FATAL_ERROR "rpm -e vornup:\n${log}")
  endif()
endfunction()

# The RPM of the next version, for the upgrade.
function(make_next_rpm out_var)
  string(REGEX MATCH "^([0-9]+\\.[0-9]+)\\.([0-9]+)\\.([0-9]+)$" parts ${VERSION})
  math(EXPR build "${CMAKE_MATCH_2} + 1")
  set(next_version ${CMAKE_MATCH_1}.${build}.${CMAKE_MATCH_3})
  run_expecting(0 log ${CPACK} --config ${CPACK_CONFIG} -G RPM -B ${WORK}/next
                -D CPACK_PACKAGE_VERSION=${next_version})
  file(GLOB next ${WORK}/next/vornup-${next_version}-1.*.rpm)
  if(NOT next)
    message(FATAL_ERROR "no RPM of version ${next_version}:\n${log}")
  endif()
  set(${out_var} ${next} PARENT_SCOPE)
endfunction()
