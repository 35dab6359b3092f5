# The Windows Installer package, for check_packages.cmake: under Wine, its
# installation, use, upgrade and removal with msiexec, as a deployment tool
# runs them (silent, no answer, exit code 0).

function(msi_property msi name out_var)
  execute_process(COMMAND ${MSIINFO} export ${msi} Property RESULT_VARIABLE failed
                  OUTPUT_VARIABLE rows ERROR_VARIABLE errors)
  string(REPLACE "\r" "" rows "${rows}")
  if(failed OR NOT rows MATCHES "\n${name}\t([^\n]*)")
    message(FATAL_ERROR "${msi} has no property ${name}:\n${rows}${errors}")
  endif()
  set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# A Windows path for a path on the build host (Wine's drive Z: is its root).
function(windows_path path out_var)
  string(REPLACE "/" "\\" path "${path}")
  set(${out_var} "Z:${path}" PARENT_SCOPE)
endfunction()

# Which of the two versions' products (`code`, `next_code`) are registered
# for removal, in the registry view of the package's bitness.
function(registered_products out_var)
  execute_process(COMMAND ${WINE_RUN} ${WINE_PREFIX} reg query
                          "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                          ${registry_view}
                  OUTPUT_VARIABLE keys ERROR_QUIET)
  string(REGEX MATCHALL "\\{[0-9A-F-]+\\}" registered "${keys}")
  set(ours)
  foreach(product ${code} ${next_code})
    if(product IN_LIST registered)
      list(APPEND ours ${product})
    endif()
  endforeach()
  set(${out_var} "${ours}" PARENT_SCOPE)
endfunction()

function(expect_registered what expected)
  registered_products(registered)
  if(NOT "${registered}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}, '${registered}' are registered, not '${expected}'")
  endif()
endfunction()

# The installed program queries the simulator, registered in the prefix as
# the management suite (in the registry view of the program's bitness).
function(query_simulator program registry_view)
  set(suite ${WORK}/korvane)
  file(MAKE_DIRECTORY ${suite}/Quenmar)
  file(COPY ${TANDREL} DESTINATION ${suite}/Quenmar)
  file(COPY_FILE ${HOST_FILE} ${suite}/Quenmar/host.txt)
  windows_path(${suite}/ suite_value)
  set(key "HKLM\\SOFTWARE\\Korvane\\Quenmar")
  # The value ends in a backslash, which must not meet a list separator.
  run_expecting(0 log ${WINE_RUN} ${WINE_PREFIX} reg add ${key} /v QuenmarDir /f ${registry_view}
                /d ${suite_value})
  execute_process(COMMAND ${WINE_RUN} ${WINE_PREFIX} ${program} /q RESULT_VARIABLE code
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors WORKING_DIRECTORY ${WORK}/run)
  execute_process(COMMAND ${WINE_RUN} ${WINE_PREFIX} reg delete ${key} /f ${registry_view}
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT code STREQUAL "0")
    message(FATAL_ERROR "the installed program's query gave exit code ${code}:\n${output}${errors}")
  endif()
  expect_line("${output}" "HBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01" "the query")
  expect_line("${output}" "All required queries succeeded - Return Code=0" "the query")
endfunction()

# Installs the package, runs what it installed, upgrades it with a package of
# a higher version made from the same files, and removes it.
function(check_installed_msi msi runs_programs)
  if(SYSTEM STREQUAL win64)
    set(program_files "Program Files")
    set(registry_view /reg:64)
  else()
    set(program_files "Program Files (x86)")
    set(registry_view /reg:32)
  endif()
  set(folder "${WINE_PREFIX}/drive_c/${program_files}/Korvane/vornup")
  set(msiexec ${WINE_RUN} ${WINE_PREFIX} msiexec)
  msi_property(${WORK}/out/${msi} ProductCode code)
  msi_property(${WORK}/out/${msi} ProductVersion version)
  if(NOT version STREQUAL VERSION)
    message(FATAL_ERROR "${msi} has the version ${version}, not ${VERSION}")
  endif()

  # The next version: one more in the third number, the one Windows
  # Installer compares last.
  string(REGEX MATCH "^([0-9]+\\.[0-9]+)\\.([0-9]+)\\.([0-9]+)$" parts ${VERSION})
  math(EXPR build "${CMAKE_MATCH_2} + 1")
  set(next_version ${CMAKE_MATCH_1}.${build}.${CMAKE_MATCH_3})
  set(next_msi ${WORK}/vornup-${next_version}-${SYSTEM}.msi)
  run_expecting(0 log ${CMAKE_COMMAND} -DFOLDER=${WORK}/zip -DVERSION=${next_version}
                -DSYSTEM=${SYSTEM} -DOUTPUT=${next_msi} -DWIXL=${WIXL} -DMSIBUILD=${MSIBUILD}
                -P ${SOURCE}/cmake/WindowsInstaller.cmake)
  msi_property(${next_msi} ProductCode next_code)

  # A product and files left by an earlier attempt in this prefix go first.
  registered_products(left)
  foreach(product ${left})
    run_expecting(0 log ${msiexec} /x ${product} /qn)
  endforeach()
  file(REMOVE_RECURSE ${folder})

  windows_path(${WORK}/out/${msi} msi_path)
  run_expecting(0 log ${msiexec} /i ${msi_path} /qn)
  expect_tree(${folder} ${windows_tree})
  foreach(file vornup.exe fwmatrix.txt README.md docs/models.md)
    expect_same_file(${folder}/${file} ${WORK}/zip/${file})
  endforeach()
  if(runs_programs)
    expect_usage_text(${WINE_RUN} ${WINE_PREFIX} ${folder}/vornup.exe)
    query_simulator(${folder}/vornup.exe ${registry_view})
  endif()

  # The administrator's table and images stay through an upgrade, which
  # replaces the installed product in one silent run.
  file(READ ${folder}/fwmatrix.txt table)
  file(WRITE ${folder}/fwmatrix.txt "${table}/ edited by the administrator\n")
  file(WRITE ${folder}/firmware/zf290a1.all "an image\n")
  windows_path(${next_msi} next_path)
  run_expecting(0 log ${msiexec} /i ${next_path} /qn)
  expect_tree(${folder} ${windows_tree} firmware/zf290a1.all)
  expect_contains(${folder}/fwmatrix.txt "/ edited by the administrator")
  expect_registered("after the upgrade" ${next_code})
  # The older package does not replace the newer one (msiexec's 1603, which
  # Wine's exit status cuts to its low byte).
  execute_process(COMMAND ${msiexec} /i ${msi_path} /qn RESULT_VARIABLE downgraded)
  expect_registered("after a downgrade" ${next_code})
  if(downgraded STREQUAL "0")
    message(FATAL_ERROR "msiexec installed ${VERSION} over ${next_version} and returned 0")
  endif()

  # Removal by product code, as the deployment tools do it: the table and
  # the image stay, and the folders that hold them.
  run_expecting(0 log ${msiexec} /x ${next_code} /qn)
  expect_tree(${folder} firmware firmware/zf290a1.all fwmatrix.txt)
  expect_contains(${folder}/fwmatrix.txt "/ edited by the administrator")
  expect_registered("after the removal" "")
  file(REMOVE_RECURSE ${folder})
endfunction()
