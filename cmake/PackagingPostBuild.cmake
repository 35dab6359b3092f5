# Run by CPack once per package generator, after it packed and before it
# copies the packages (CPACK_PACKAGE_FILES, where they were made) into the
# output folder. On Windows the ZIP's staging folder also becomes the Windows
# Installer package (cmake/WindowsInstaller.cmake), signed like the program.
# Every package then has its line in SHA256SUMS in the output folder, for
# `sha256sum -c SHA256SUMS`.
include(${CMAKE_CURRENT_LIST_DIR}/PackagingSigning.cmake)

set(made ${CPACK_PACKAGE_FILES})

if(CPACK_VORNUP_WINDOWS AND CPACK_GENERATOR STREQUAL "ZIP")
  if(NOT CPACK_VORNUP_WIXL OR NOT CPACK_VORNUP_MSIBUILD)
    message(WARNING "wixl and msibuild (Debian packages wixl and msitools) were not found: "
                    "no Windows Installer package")
  else()
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
    set(msi ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
    vornup_make_msi(${CPACK_TEMPORARY_DIRECTORY} ${CPACK_PACKAGE_VERSION} ${CPACK_SYSTEM_NAME}
                    ${msi} ${CPACK_VORNUP_WIXL} ${CPACK_VORNUP_MSIBUILD})
    vornup_sign(${msi})
    file(COPY_FILE ${msi} ${CPACK_OUTPUT_FILE_PREFIX}/${CPACK_PACKAGE_FILE_NAME}.msi)
    list(APPEND made ${msi})
  endif()
endif()

# The names of this run's packages, hashed where they were made; the lines of
# earlier runs' packages in the same folder stay while their files are there.
set(sums ${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS)
set(names)
foreach(package ${made})
  get_filename_component(name ${package} NAME)
  list(APPEND names ${name})
  set(path_of_${name} ${package})
endforeach()
if(EXISTS ${sums})
  file(STRINGS ${sums} earlier REGEX "^[0-9a-f]+  ")
  foreach(line ${earlier})
    string(REGEX REPLACE "^[0-9a-f]+  " "" name "${line}")
    if(NOT name IN_LIST names AND EXISTS ${CPACK_OUTPUT_FILE_PREFIX}/${name})
      list(APPEND names ${name})
      set(path_of_${name} ${CPACK_OUTPUT_FILE_PREFIX}/${name})
    endif()
  endforeach()
endif()
list(SORT names)
set(text)
foreach(name ${names})
  file(SHA256 ${path_of_${name}} hash)
  string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE ${sums}.new "${text}")
file(RENAME ${sums}.new ${sums})
