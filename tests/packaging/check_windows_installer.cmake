# The Windows Installer package, for check_packages.cmake: what it holds, and
# under Wine its installation, use, upgrade and removal with msiexec, as a
# deployment tool runs them (silent, no answer, exit code 0).

function(msi_property msi name out_var)
  execute_process(COMMAND ${MSIINFO} export ${msi} Property RESULT_VARIABLE failed
                  OUTPUT_VARIABLE rows ERROR_VARIABLE errors)
  string(REPLACE "\r" "" rows "${rows}")
  if(failed OR NOT rows MATCHES "\n${name}\t([^\n]*)")
    message(FATAL_ERROR "${msi} has no property ${name}:\n${rows}${errors}")
  endif()
  set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# The package of this build: its version, its bitness, and the ZIP's files
# (unpacked in ${WORK}/zip).
function(check_windows_msi msi)
  msi_property(${msi} ProductVersion version)
  if(NOT version STREQUAL VERSION)
    message(FATAL_ERROR "${msi} has the version ${version}, not ${VERSION}")
  endif()
  if(SYSTEM STREQUAL win64)
    set(platform x64)
    set(program_files ProgramFiles64Folder)
  else()
    set(platform Intel)
    set(program_files ProgramFilesFolder)
  endif()
  execute_process(COMMAND ${MSIINFO} suminfo ${msi} OUTPUT_VARIABLE summary)
  if(NOT summary MATCHES "\nTemplate: ${platform};1033\r?\n")
    message(FATAL_ERROR "${msi} is not a package for ${platform}:\n${summary}")
  endif()
  # The folder Korvane\vornup of the Program Files folder of its bitness.
  execute_process(COMMAND ${MSIINFO} export ${msi} Directory OUTPUT_VARIABLE directories)
  string(REPLACE "\r" "" directories "${directories}")
  set(parent none)
  if(directories MATCHES "\nINSTALLDIR\t([A-Za-z]+)\tvornup\n")
    set(parent ${CMAKE_MATCH_1})
  endif()
  if(NOT directories MATCHES "\n${parent}\t${program_files}\tKorvane\n")
    message(FATAL_ERROR "${msi} installs into no ${program_files}\\Korvane\\vornup:\n${directories}")
  endif()
  # Its files (msiextract names the Program Files folders as it likes).
  execute_process(COMMAND ${MSIEXTRACT} -C ${WORK}/msi ${msi} RESULT_VARIABLE failed
                  OUTPUT_VARIABLE log ERROR_VARIABLE log)
  file(GLOB_RECURSE program ${WORK}/msi/vornup.exe)
  if(failed OR NOT program MATCHES "/Korvane/vornup/vornup.exe$")
    message(FATAL_ERROR "cannot extract ${msi}:\n${log}")
  endif()
  get_filename_component(folder "${program}" DIRECTORY)
  set(files vornup.exe fwmatrix.txt README.md docs/models.md)
  expect_tree(${folder} docs ${files})
  foreach(file ${files})
    expect_same_file(${folder}/${file} ${WORK}/zip/${file})
  endforeach()
endfunction()

# A Windows path for a path on the build host (Wine's drive Z: is its root).
function(windows_path path out_var)
  string(REPLACE "/" "\\" path "${path}")
  set(${out_var} "Z:${path}" PARENT_SCOPE)
endfunction()

# The product codes registered for removal, as the text of their keys (in
# the registry view of the package's bitness, `registry_view`).
function(msi_registered out_var)
  execute_process(COMMAND ${WINE_RUN} ${WINE_PREFIX} reg query
                          "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                          ${registry_view}
                  OUTPUT_VARIABLE keys ERROR_QUIET)
  set(${out_var} "${keys}" PARENT_SCOPE)
endfunction()

# Fails unless exactly the products `present` of `products` are registered.
function(expect_registered what products present)
  msi_registered(keys)
  foreach(product ${products})
    string(FIND "${keys}" "${product}" at)
    list(FIND present ${product} wanted)
    set(registered ON)
    set(expected ON)
    if(at EQUAL -1)
      set(registered OFF)
    endif()
    if(wanted EQUAL -1)
      set(expected OFF)
    endif()
    if(NOT registered STREQUAL expected)
      message(FATAL_ERROR "${what}: of ${products} only ${present} should be registered:\n${keys}")
    endif()
  endforeach()
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
  msi_property(${WORK}/out/${msi} UpgradeCode upgrade_code)

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
  msi_property(${next_msi} UpgradeCode next_upgrade_code)
  if(next_code STREQUAL code OR NOT next_upgrade_code STREQUAL upgrade_code)
    message(FATAL_ERROR "version ${next_version} has the product code ${next_code} and the "
                        "upgrade code ${next_upgrade_code}; ${VERSION} ${code} and ${upgrade_code}")
  endif()

  # A product and files left by an earlier attempt in this prefix go first.
  msi_registered(keys)
  foreach(product ${code} ${next_code})
    string(FIND "${keys}" "${product}" at)
    if(NOT at EQUAL -1)
      run_expecting(0 log ${msiexec} /x ${product} /qn)
    endif()
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
  expect_registered("after the upgrade" "${code};${next_code}" ${next_code})
  # The older package does not replace the newer one (msiexec's 1603, which
  # Wine's exit status cuts to its low byte).
  execute_process(COMMAND ${msiexec} /i ${msi_path} /qn RESULT_VARIABLE downgraded)
  expect_registered("after a downgrade" "${code};${next_code}" ${next_code})
  if(downgraded STREQUAL "0")
    message(FATAL_ERROR "msiexec installed ${VERSION} over ${next_version} and returned 0")
  endif()

  # Removal by product code, as the deployment tools do it: the table and
  # the image stay, and the folders that hold them.
  run_expecting(0 log ${msiexec} /x ${next_code} /qn)
  expect_tree(${folder} firmware firmware/zf290a1.all fwmatrix.txt)
  expect_contains(${folder}/fwmatrix.txt "/ edited by the administrator")
  expect_registered("after the removal" "${code};${next_code}" "")
  file(REMOVE_RECURSE ${folder})
endfunction()
