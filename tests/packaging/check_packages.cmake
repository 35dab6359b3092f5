# Makes the packages of one build with CPack in a scratch directory, opens
# each one and checks it, and runs the program it carries.
#
#   cmake -DCPACK=cpack -DCPACK_CONFIG=<build>/CPackConfig.cmake -DWORK=<scratch>
#         -DSOURCE=<source tree> -DVERSION=6.0.23.1
#         -DLAYOUT=windows -DSYSTEM=win64 -DOBJDUMP=<the build's objdump>
#         [-DWINE_RUN=cmake/wine-run.sh -DWINE_PREFIX=<prefix>]
#         -P check_packages.cmake
#   cmake ... -DLAYOUT=linux -DSYSTEM=Linux-x86_64 [-DGROFF=groff] -P check_packages.cmake
cmake_minimum_required(VERSION 3.25)

set(usage_header "vornupOnline v${VERSION} - Korvane Firmware Update Utility")

# What a Linux package installs under its prefix.
set(linux_tree
    bin
    bin/vornup
    share
    share/doc
    share/doc/vornup
    share/doc/vornup/README.md
    share/doc/vornup/docs
    share/doc/vornup/docs/models.md
    share/doc/vornup/examples
    share/doc/vornup/examples/fwmatrix.txt
    share/man
    share/man/man1
    share/man/man1/vornup.1)

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

# The files that every Linux package installs under `prefix`.
function(check_linux_files prefix)
  expect_same_file(${prefix}/share/doc/vornup/README.md ${SOURCE}/README.md)
  expect_same_file(${prefix}/share/doc/vornup/docs/models.md ${SOURCE}/docs/models.md)
  expect_same_file(${prefix}/share/doc/vornup/examples/fwmatrix.txt ${SOURCE}/examples/fwmatrix.txt)
  expect_same_file(${prefix}/share/man/man1/vornup.1 ${SOURCE}/docs/vornup.1)
  expect_usage_text(${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${WORK}/registry
                    ${prefix}/bin/vornup)
endfunction()

function(expect_field control field pattern)
  if(NOT control MATCHES "(^|\n)${field}: ${pattern}")
    message(FATAL_ERROR "the .deb control file has no ${field} like '${pattern}':\n${control}")
  endif()
endfunction()

function(check_windows_zip zip)
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
  if(WINE_RUN)
    expect_usage_text(${WINE_RUN} ${WINE_PREFIX} ${WORK}/zip/vornup.exe)
  else()
    expect_usage_text(${WORK}/zip/vornup.exe)
  endif()
endfunction()

function(check_linux_tgz tgz)
  set(top vornup-${VERSION}-${SYSTEM})
  unpack(${WORK}/out/${tgz} ${WORK}/tgz)
  list(TRANSFORM linux_tree PREPEND ${top}/ OUTPUT_VARIABLE tree)
  expect_tree(${WORK}/tgz ${top} ${tree})
  check_linux_files(${WORK}/tgz/${top})
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

  list(TRANSFORM linux_tree PREPEND usr/ OUTPUT_VARIABLE tree)
  expect_tree(${at}/data usr ${tree})
  check_linux_files(${at}/data/usr)
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

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CPACK} --config ${CPACK_CONFIG} -B ${WORK}/out
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB packages RELATIVE ${WORK}/out ${WORK}/out/*.zip ${WORK}/out/*.tar.gz ${WORK}/out/*.deb)
list(SORT packages)
message(STATUS "packages: ${packages}")

if(LAYOUT STREQUAL "windows")
  if(NOT packages STREQUAL "vornup-${VERSION}-${SYSTEM}.zip")
    message(FATAL_ERROR "expected the one package vornup-${VERSION}-${SYSTEM}.zip, got ${packages}")
  endif()
  check_windows_zip(${packages})
else()
  string(REPLACE "." "\\." version_pattern ${VERSION})
  set(debs ${packages})
  list(FILTER debs INCLUDE REGEX "^vornup_${version_pattern}_[a-z0-9]+\\.deb$")
  set(tgz vornup-${VERSION}-${SYSTEM}.tar.gz)
  set(expected ${tgz} ${debs})
  list(SORT expected)
  list(LENGTH debs deb_count)
  if(NOT deb_count EQUAL 1 OR NOT packages STREQUAL "${expected}")
    message(FATAL_ERROR "expected ${tgz} and one vornup_${VERSION}_<arch>.deb, got ${packages}")
  endif()
  check_linux_tgz(${tgz})
  check_linux_deb(${debs})
  check_manual_page(${WORK}/deb/data/usr/share/man/man1/vornup.1)
endif()
