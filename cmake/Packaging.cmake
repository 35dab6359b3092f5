# Installing vornup and packing it for administrators (README.md, "Installing").
#
# Windows, one ZIP per build (x86 and x64): the folder the program expects
# around itself, with nothing above it:
#   vornup.exe  fwmatrix.txt (the sample table)  firmware\  boot\
#   README.md  docs\models.md
# Linux, a .tar.gz and a .deb:
#   bin/vornup  share/man/man1/vornup.1
#   share/doc/vornup/README.md  share/doc/vornup/docs/models.md
#   share/doc/vornup/examples/fwmatrix.txt
#
# Every install rule belongs to the component "vornup", and the packages take
# that component alone: the simulator, the image maker, the benchmark and the
# test programs are never packed.
include(GNUInstallDirs)

set(VORNUP_PACKAGE_COMPONENT vornup)

if(WIN32)
  install(TARGETS vornup RUNTIME DESTINATION . COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES examples/fwmatrix.txt README.md DESTINATION .
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES docs/models.md DESTINATION docs COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  # Automatic mode needs both directories beside the program, even empty.
  install(DIRECTORY DESTINATION firmware COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(DIRECTORY DESTINATION boot COMPONENT ${VORNUP_PACKAGE_COMPONENT})
else()
  install(TARGETS vornup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES docs/vornup.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES docs/models.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES examples/fwmatrix.txt DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
endif()

set(CPACK_PACKAGE_NAME vornup)
# All four numbers, as the program's usage text and version resource show them.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Firmware and boot code updates for Korvane Fibre Channel and converged adapters")
set(CPACK_PACKAGE_CONTACT "Korvane firmware tools <firmware-tools@korvane.example>")
# Pack the one component, from this build tree, at the package's root.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${VORNUP_PACKAGE_COMPONENT};/")
# A source package would otherwise sweep up every build tree under build/.
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")
# The packed program carries no symbol table (resources and manifest stay).
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # CPack names every Windows package "win32" unless the compiler is MSVC.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  # Unpacked into a folder of the administrator's choice, the ZIP is that
  # folder's content: vornup.exe finds fwmatrix.txt, firmware\ and boot\
  # beside itself.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # CPack puts the summary above this text.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "vornup brings the firmware and boot code of a host's Korvane Fibre Channel host\n"
      "bus adapters and converged network adapters to the versions an administrator\n"
      "chose, through the Korvane management tool Tandrel. It runs unattended and\n"
      "ends with an exit code for scripts. The images come from the table\n"
      "fwmatrix.txt or, in automatic mode, from the firmware and boot directories\n"
      "beside the program.")
  find_program(VORNUP_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(VORNUP_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
  endif()
endif()

include(CPack)
