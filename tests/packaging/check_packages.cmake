# Makes the packages of one build with CPack in a scratch directory, opens
# each one and checks it, and runs the program it carries.
#
#   cmake -DCPACK=cpack -DCPACK_CONFIG=<build>/CPackConfig.cmake -DWORK=<scratch>
#         -DSOURCE=<source tree> -DVERSION=6.0.23.1
#         -DTANDREL=<build>/sim/Tandrel[.exe] -DHOST_FILE=sim/hosts/example.txt
#         -DLAYOUT=windows -DSYSTEM=win64 -DOBJDUMP=<the build's objdump>
#         -DMSIINFO=msiinfo -DMSIEXTRACT=msiextract -DWIXL=wixl -DMSIBUILD=msibuild
#         -DOSSLSIGNCODE=osslsigncode -DOPENSSL=openssl
#         [-DWINE_RUN=cmake/wine-run.sh -DWINE_PREFIX=<prefix>]
#         -P check_packages.cmake
#   cmake ... -DLAYOUT=linux -DSYSTEM=Linux-x86_64 [-DGROFF=groff]
#         [-DDPKG=dpkg] [-DDPKG_DEB=dpkg-deb] -DRPM=rpm -P check_packages.cmake
#
# The Linux .deb and RPM are also installed into scratch roots (dpkg --root,
# rpm --root, as root; else the .deb is unpacked and its postinst run, and the
# RPM is not installed), the simulator registered there with the packaged
# command, and the installed program run through its /usr/bin link: it must
# find its table in /opt/vornup of that root. An upgrade must keep an edited
# table, a purge or erase remove it. The Windows packages: see
# check_windows_installer.cmake and check_signing.cmake. SHA256SUMS must
# name every package and pass `sha256sum -c`.
cmake_minimum_required(VERSION 3.25)

set(usage_header "vornupOnline v${VERSION} - Korvane Firmware Update Utility")

# The program's folder, /opt/vornup in the .deb and vornup/ in the .tar.gz.
set(program_folder
    boot
    firmware
    fwmatrix.txt.sample
    vornup
    vornup-register-tool)

# What the .deb installs, from the root.
set(deb_tree
    etc
    etc/vornup
    etc/vornup/registry
    etc/vornup/trusted-keys
    opt
    opt/vornup
    opt/vornup/trusted-keys
    usr
    usr/bin
    usr/bin/vornup
    usr/share
    usr/share/doc
    usr/share/doc/vornup
    usr/share/doc/vornup/README.md
    usr/share/doc/vornup/docs
    usr/share/doc/vornup/docs/baseline.schema.json
    usr/share/doc/vornup/docs/baselines.md
    usr/share/doc/vornup/docs/history.schema.json
    usr/share/doc/vornup/docs/models.md
    usr/share/doc/vornup/docs/report.schema.json
    usr/share/man
    usr/share/man/man1
    usr/share/man/man1/vornup.1)
list(TRANSFORM program_folder PREPEND opt/vornup/ OUTPUT_VARIABLE deb_folder)
list(APPEND deb_tree ${deb_folder})

# What the .tar.gz holds: the folder alone, with its words.
set(tgz_tree
    vornup
    vornup/INSTALL.txt
    vornup/README.md
    vornup/docs
    vornup/docs/baseline.schema.json
    vornup/docs/baselines.md
    vornup/docs/history.schema.json
    vornup/docs/models.md
    vornup/docs/report.schema.json
    vornup/docs/vornup.1)
list(TRANSFORM program_folder PREPEND vornup/ OUTPUT_VARIABLE tgz_folder)
list(APPEND tgz_tree ${tgz_folder})

# What the Windows ZIP holds, with nothing above it.
set(windows_tree
    README.md
    boot
    docs
    docs/models.md
    firmware
    fwmatrix.txt
    vornup.exe)

function(unpack archive into)
  file(MAKE_DIRECTORY ${into})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive}
                  WORKING_DIRECTORY ${into} RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${archive}: ${error}")
  endif()
endfunction()

# Every file and directory under `root` must be one of the rest of the
# arguments, and every one of those must be there.
function(expect_tree root)
  file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  list(SORT found)
  set(expected ${ARGN})
  list(SORT expected)
  if(NOT found STREQUAL expected)
    list(JOIN found "\n  " found_lines)
    list(JOIN expected "\n  " expected_lines)
    message(FATAL_ERROR "${root} holds\n  ${found_lines}\nbut should hold\n  ${expected_lines}")
  endif()
endfunction()

function(expect_same_file packed original)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${packed} ${original}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${packed} is not a copy of ${original}")
  endif()
endfunction()

# Runs the command (the program, or its runner and the program) with /?: the
# usage text and exit code 0.
function(expect_usage_text)
  execute_process(COMMAND ${ARGN} /? RESULT_VARIABLE code OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  string(FIND "${output}" "${usage_header}" at)
  if(NOT code STREQUAL "0" OR at EQUAL -1)
    message(FATAL_ERROR "${ARGN} /? gave exit code ${code} and\n${output}${errors}")
  endif()
endfunction()

# The program's folder in a Linux package.
function(check_program_folder folder)
  expect_same_file(${folder}/fwmatrix.txt.sample ${SOURCE}/examples/fwmatrix.txt)
  expect_same_file(${folder}/vornup-register-tool ${SOURCE}/packaging/linux/vornup-register-tool)
  foreach(program vornup vornup-register-tool)
    expect_executable(${folder}/${program})
  endforeach()
  foreach(subfolder firmware boot)
    if(NOT IS_DIRECTORY ${folder}/${subfolder} OR IS_SYMLINK ${folder}/${subfolder})
      message(FATAL_ERROR "${folder}/${subfolder} is no folder")
    endif()
  endforeach()
  expect_usage_text(${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${WORK}/registry
                    ${folder}/vornup)
endfunction()

function(expect_executable file)
  execute_process(COMMAND test -f ${file} -a -x ${file} RESULT_VARIABLE missing)
  if(missing)
    message(FATAL_ERROR "${file} is no executable file")
  endif()
endfunction()

function(expect_contains file text)
  file(READ ${file} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} does not say '${text}':\n${content}")
  endif()
endfunction()

function(expect_field control field pattern)
  if(NOT control MATCHES "(^|\n)${field}: ${pattern}")
    message(FATAL_ERROR "the .deb control file has no ${field} like '${pattern}':\n${control}")
  endif()
endfunction()

function(check_windows_zip zip runs_programs)
  unpack(${WORK}/out/${zip} ${WORK}/zip)
  expect_tree(${WORK}/zip ${windows_tree})
  foreach(folder firmware boot)
    if(NOT IS_DIRECTORY ${WORK}/zip/${folder})
      message(FATAL_ERROR "${zip}: ${folder} is no folder")
    endif()
  endforeach()
  # Stripped for packing: still the same kind of Windows program file.
  execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${WORK}/zip/vornup.exe -DOBJDUMP=${OBJDUMP}
                          -DVERSION=${VERSION} -P ${SOURCE}/tests/e2e/check_windows_program.cmake
                  RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    message(FATAL_ERROR "the packed vornup.exe:\n${log}")
  endif()
  expect_same_file(${WORK}/zip/fwmatrix.txt ${SOURCE}/examples/fwmatrix.txt)
  expect_same_file(${WORK}/zip/README.md ${SOURCE}/README.md)
  expect_same_file(${WORK}/zip/docs/models.md ${SOURCE}/docs/models.md)
  if(runs_programs AND WINE_RUN)
    expect_usage_text(${WINE_RUN} ${WINE_PREFIX} ${WORK}/zip/vornup.exe)
  elseif(runs_programs)
    expect_usage_text(${WORK}/zip/vornup.exe)
  endif()
endfunction()

function(check_linux_tgz tgz)
  unpack(${WORK}/out/${tgz} ${WORK}/tgz)
  expect_tree(${WORK}/tgz ${tgz_tree})
  check_program_folder(${WORK}/tgz/vornup)
  expect_same_file(${WORK}/tgz/vornup/README.md ${SOURCE}/README.md)
  expect_same_file(${WORK}/tgz/vornup/docs/models.md ${SOURCE}/docs/models.md)
  expect_same_file(${WORK}/tgz/vornup/docs/report.schema.json ${SOURCE}/docs/report.schema.json)
  expect_same_file(${WORK}/tgz/vornup/docs/vornup.1 ${SOURCE}/docs/vornup.1)
  # Its words name this archive and how it is unpacked.
  expect_contains(${WORK}/tgz/vornup/INSTALL.txt "tar xzf ${tgz} -C /opt")
  expect_contains(${WORK}/tgz/vornup/INSTALL.txt "/opt/vornup/vornup-register-tool")
endfunction()

function(check_linux_deb deb)
  set(at ${WORK}/deb)
  unpack(${WORK}/out/${deb} ${at})
  file(GLOB members RELATIVE ${at} ${at}/*)
  list(SORT members)
  if(NOT members MATCHES "^control\\.tar\\.[a-z]+;data\\.tar\\.[a-z]+;debian-binary$")
    message(FATAL_ERROR "${deb} holds ${members}")
  endif()
  file(READ ${at}/debian-binary format)
  if(NOT format STREQUAL "2.0\n")
    message(FATAL_ERROR "${deb}: package format '${format}'")
  endif()
  file(GLOB control_tar ${at}/control.tar.*)
  file(GLOB data_tar ${at}/data.tar.*)
  unpack(${control_tar} ${at}/control)
  unpack(${data_tar} ${at}/data)

  file(READ ${at}/control/control control)
  expect_field("${control}" Package "vornup\n")
  expect_field("${control}" Version "${VERSION}\n")
  expect_field("${control}" Architecture "[a-z0-9]+\n")
  expect_field("${control}" Maintainer "[^\n]+ <[^\n]+@[^\n]+>\n")
  expect_field("${control}" Section "admin\n")
  expect_field("${control}" Depends "[^\n]*libc6")
  expect_field("${control}" Description "[^\n]+\n [^\n]+")
  foreach(script postinst postrm)
    expect_same_file(${at}/control/${script} ${SOURCE}/packaging/linux/${script})
    expect_executable(${at}/control/${script})
  endforeach()

  expect_tree(${at}/data ${deb_tree})
  check_program_folder(${at}/data/opt/vornup)
  file(READ_SYMLINK ${at}/data/usr/bin/vornup target)
  if(NOT target STREQUAL "/opt/vornup/vornup")
    message(FATAL_ERROR "${deb}: /usr/bin/vornup links to '${target}', not /opt/vornup/vornup")
  endif()
  expect_same_file(${at}/data/usr/share/doc/vornup/README.md ${SOURCE}/README.md)
  expect_same_file(${at}/data/usr/share/doc/vornup/docs/models.md ${SOURCE}/docs/models.md)
  expect_same_file(${at}/data/usr/share/doc/vornup/docs/report.schema.json
                   ${SOURCE}/docs/report.schema.json)
  expect_same_file(${at}/data/usr/share/man/man1/vornup.1 ${SOURCE}/docs/vornup.1)
endfunction()

# Runs a command and expects its exit code; the output lands in `out_var`.
function(run_expecting code out_var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors WORKING_DIRECTORY ${WORK}/run)
  if(NOT result STREQUAL "${code}")
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command}\ngave exit code ${result}, expected ${code}:\n${output}${errors}")
  endif()
  set(${out_var} "${output}${errors}" PARENT_SCOPE)
endfunction()

# dpkg itself installs into a scratch root only for root (it sets owners),
# with its database and log in that root; otherwise the package is unpacked and its maintainer script run as dpkg
# would run it.
function(deb_install root deb)
  if(use_dpkg)
    run_expecting(0 log ${DPKG} --root=${root} --log=${root}/dpkg.log --force-script-chrootless
                  --force-depends -i ${deb})
  else()
    run_expecting(0 log ${DPKG_DEB} -x ${deb} ${root})
    run_expecting(0 log ${CMAKE_COMMAND} -E env DPKG_ROOT=${root}
                  sh ${WORK}/deb/control/postinst configure)
  endif()
endfunction()

function(deb_remove root)
  if(use_dpkg)
    run_expecting(0 log ${DPKG} --root=${root} --log=${root}/dpkg.log --force-script-chrootless
                  --purge vornup)
  else()
    run_expecting(0 log ${CMAKE_COMMAND} -E env DPKG_ROOT=${root}
                  sh ${WORK}/deb/control/postrm remove)
    run_expecting(0 log ${CMAKE_COMMAND} -E env DPKG_ROOT=${root}
                  sh ${WORK}/deb/control/postrm purge)
  endif()
endfunction()

function(expect_line text line what)
  string(FIND "${text}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what} lacks '${line}':\n${text}")
  endif()
endfunction()

# Installs the .deb or the RPM (`kind`) into a scratch root and uses it
# there as an administrator would: register the tool, query the adapters,
# upgrade, purge or erase.
function(check_installed kind package)
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT TANDREL OR NOT (DPKG OR DPKG_DEB))
    message(STATUS "no simulator or no dpkg: the installed package is not tried")
    return()
  endif()
  if(kind STREQUAL "rpm" AND NOT uid STREQUAL "0")
    message(STATUS "not root: rpm cannot install into a scratch root, the RPM is not tried")
    return()
  endif()
  set(root ${WORK}/root-${kind})
  set(use_dpkg OFF)
  if(kind STREQUAL "deb" AND DPKG AND uid STREQUAL "0")
    set(use_dpkg ON)
    file(MAKE_DIRECTORY ${root}/var/lib/dpkg/info ${root}/var/lib/dpkg/updates)
    file(TOUCH ${root}/var/lib/dpkg/status)
  endif()
  file(MAKE_DIRECTORY ${WORK}/temp)
  set(package_file ${WORK}/out/${package})
  if(kind STREQUAL "rpm")
    # A real upgrade: the RPM of the next version.
    make_next_rpm(upgrade_file)
  else()
    set(upgrade_file ${package_file})
  endif()

  cmake_language(CALL ${kind}_install ${root} ${package_file})
  set(folder ${root}/opt/vornup)
  expect_same_file(${folder}/fwmatrix.txt ${SOURCE}/examples/fwmatrix.txt)
  if(NOT IS_DIRECTORY ${root}/etc/vornup/registry)
    message(FATAL_ERROR "the package made no /etc/vornup/registry")
  endif()
  # The packaged link names /opt/vornup/vornup; in the scratch root it names
  # that root's copy, as the link does on the installed host.
  file(READ_SYMLINK ${root}/usr/bin/vornup target)
  if(NOT target STREQUAL "/opt/vornup/vornup")
    message(FATAL_ERROR "the installed /usr/bin/vornup links to '${target}'")
  endif()
  file(REMOVE ${root}/usr/bin/vornup)
  file(CREATE_LINK ${folder}/vornup ${root}/usr/bin/vornup SYMBOLIC)

  # The management tool: the simulator with the example host, registered
  # with the packaged command.
  set(suite ${root}/opt/korvane)
  file(MAKE_DIRECTORY ${suite}/Quenmar)
  file(COPY ${TANDREL} DESTINATION ${suite}/Quenmar)
  file(COPY_FILE ${HOST_FILE} ${suite}/Quenmar/host.txt)
  set(registry ${root}/etc/vornup/registry)
  set(env ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry} TEMP=${WORK}/temp)
  run_expecting(0 log ${env} ${folder}/vornup-register-tool ${suite})
  file(READ ${registry}/SOFTWARE/Korvane/Quenmar/QuenmarDir value)
  if(NOT value STREQUAL "${suite}/\n")
    message(FATAL_ERROR "QuenmarDir holds '${value}', expected '${suite}/'")
  endif()

  # A query through the link: vornup finds its folder behind it, and the
  # tool through the registered value.
  run_expecting(0 output ${env} ${root}/usr/bin/vornup /q /xv)
  expect_line("${output}" "HBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01" "the query")
  expect_line("${output}" "vornup: All required queries succeeded - Return Code=0" "the query")
  file(READ ${WORK}/run/dbg.log trace)
  expect_line("${trace}" "Fwmatrix.txt  = ${folder}/fwmatrix.txt\n" "the trace")
  expect_line("${trace}" "${suite}/Quenmar/Tandrel" "the trace")
  # Without the table in that folder the same query stops: it is the one read.
  file(RENAME ${folder}/fwmatrix.txt ${WORK}/fwmatrix.txt.away)
  run_expecting(2 output ${env} ${root}/usr/bin/vornup /q)
  expect_line("${output}" "fwmatrix update table not found" "the query without a table")

  # An upgrade keeps the administrator's table; the sample is the package's.
  file(READ ${WORK}/fwmatrix.txt.away table)
  file(WRITE ${folder}/fwmatrix.txt "${table}/ edited by the administrator\n")
  cmake_language(CALL ${kind}_install ${root} ${upgrade_file})
  expect_contains(${folder}/fwmatrix.txt "/ edited by the administrator")
  expect_same_file(${folder}/fwmatrix.txt.sample ${SOURCE}/examples/fwmatrix.txt)

  # Purging removes the table; the registry value is the administrator's.
  cmake_language(CALL ${kind}_remove ${root})
  if(EXISTS ${folder}/fwmatrix.txt)
    message(FATAL_ERROR "the removed package left /opt/vornup/fwmatrix.txt")
  endif()
  if(NOT EXISTS ${registry}/SOFTWARE/Korvane/Quenmar/QuenmarDir)
    message(FATAL_ERROR "the purged package removed the registered tool")
  endif()
endfunction()

# The manual page must render without a warning.
function(check_manual_page page)
  if(NOT GROFF)
    return()
  endif()
  execute_process(COMMAND ${GROFF} -man -ww -z -Tutf8 ${page} RESULT_VARIABLE failed
                  OUTPUT_VARIABLE output ERROR_VARIABLE warnings)
  if(failed OR warnings)
    message(FATAL_ERROR "${page} does not render cleanly:\n${warnings}")
  endif()
endfunction()

# Every package of the folder, and nothing else, has its line in SHA256SUMS,
# and `sha256sum -c` accepts them.
function(expect_checksums folder)
  file(STRINGS ${folder}/SHA256SUMS named)
  list(TRANSFORM named REPLACE "^[0-9a-f]+  " "")
  set(expected ${ARGN})
  list(SORT expected)
  if(NOT named STREQUAL expected)
    message(FATAL_ERROR "${folder}/SHA256SUMS names ${named}, not ${expected}")
  endif()
  execute_process(COMMAND sha256sum -c SHA256SUMS WORKING_DIRECTORY ${folder}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    message(FATAL_ERROR "sha256sum -c ${folder}/SHA256SUMS:\n${log}")
  endif()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/check_windows_installer.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/check_signing.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/check_rpm.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)
# Unsigned, whatever the environment or the build's settings say.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=VORNUP_SIGN_CERT --unset=VORNUP_SIGN_KEY
                        ${CPACK} --config ${CPACK_CONFIG} -B ${WORK}/out
                        -D CPACK_VORNUP_SIGN_CERT= -D CPACK_VORNUP_SIGN_KEY=
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB packages RELATIVE ${WORK}/out ${WORK}/out/*.zip ${WORK}/out/*.msi ${WORK}/out/*.tar.gz
     ${WORK}/out/*.deb ${WORK}/out/*.rpm)
list(SORT packages)
message(STATUS "packages: ${packages}")
expect_checksums(${WORK}/out ${packages})

if(LAYOUT STREQUAL "windows")
  set(zip vornup-${VERSION}-${SYSTEM}.zip)
  set(msi vornup-${VERSION}-${SYSTEM}.msi)
  if(NOT packages STREQUAL "${msi};${zip}")
    message(FATAL_ERROR "expected the packages ${zip} and ${msi}, got ${packages}")
  endif()
  # Wine runs the 32-bit programs only where the host runs 32-bit programs;
  # its msiexec installs the 32-bit package either way.
  set(runs_programs ON)
  if(WINE_RUN AND SYSTEM STREQUAL win32)
    execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE no_32bit
                    OUTPUT_QUIET ERROR_QUIET)
    if(no_32bit)
      set(runs_programs OFF)
      message(STATUS "this host runs no 32-bit programs: the packed programs are not run")
    endif()
  endif()
  check_windows_zip(${zip} ${runs_programs})
  check_signing(${zip} ${msi})
  if(WINE_RUN)
    check_installed_msi(${msi} ${runs_programs})
  endif()
else()
  string(REPLACE "." "\\." version_pattern ${VERSION})
  set(debs ${packages})
  list(FILTER debs INCLUDE REGEX "^vornup_${version_pattern}_[a-z0-9]+\\.deb$")
  set(tgz vornup-${VERSION}-${SYSTEM}.tar.gz)
  set(rpm vornup-${VERSION}-1.x86_64.rpm)
  set(expected ${tgz} ${debs} ${rpm})
  list(SORT expected)
  list(LENGTH debs deb_count)
  if(NOT deb_count EQUAL 1 OR NOT packages STREQUAL "${expected}")
    message(FATAL_ERROR "expected ${tgz}, ${rpm} and one vornup_${VERSION}_<arch>.deb, "
                        "got ${packages}")
  endif()
  check_linux_tgz(${tgz})
  check_linux_deb(${debs})
  check_linux_rpm(${rpm})
  check_manual_page(${WORK}/deb/data/usr/share/man/man1/vornup.1)
  check_installed(deb ${debs})
  check_installed(rpm ${rpm})
endif()
