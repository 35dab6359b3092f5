# Installing vornup and packing it for administrators (README.md, "Installing").
#
# Windows, one ZIP per build (x86 and x64): the folder the program expects
# around itself, with nothing above it:
#   vornup.exe  fwmatrix.txt (the sample table)  firmware\  boot\
#   README.md  docs\models.md
# and a Windows Installer package of the same folder, installed into
# Program Files\Korvane\vornup (cmake/WindowsInstaller.cmake). vornup.exe and
# the package are signed when a certificate is given
# (cmake/PackagingSigning.cmake).
# Linux, a .deb and a .tar.gz around the folder /opt/vornup, where the program
# finds its table and images beside itself:
#   vornup  vornup-register-tool  fwmatrix.txt.sample  firmware/  boot/
# The .deb (component "vornup") installs that folder, the link /usr/bin/vornup,
# the registry directory /etc/vornup/registry, the manual page and the
# documents under /usr/share/doc/vornup; its postinst makes fwmatrix.txt from
# the sample when there is none, so an upgrade keeps an edited table. The
# .tar.gz (component "archive") is the folder alone, named vornup/, to be
# unpacked into /opt, with INSTALL.txt, the documents and the manual page in
# it. The RPM (x86_64) holds the .deb's files, and its scriptlets
# (packaging/linux/rpm/) do what the .deb's maintainer scripts do. A plain
# `cmake --install` installs the .deb's files.
# Every packing run writes SHA256SUMS beside the packages
# (cmake/PackagingPostBuild.cmake).
#
# The packages take their components alone: the simulator, the image maker,
# the benchmark and the test programs are never packed.
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
  set(VORNUP_ARCHIVE_COMPONENT archive)
  set(linux_files ${PROJECT_SOURCE_DIR}/packaging/linux)

  # The program's folder, for one component under `folder`.
  function(vornup_install_program_folder component folder)
    set(extra)
    if(component STREQUAL VORNUP_ARCHIVE_COMPONENT)
      set(extra EXCLUDE_FROM_ALL)
    endif()
    install(TARGETS vornup RUNTIME DESTINATION ${folder} COMPONENT ${component} ${extra})
    install(PROGRAMS ${linux_files}/vornup-register-tool DESTINATION ${folder}
            COMPONENT ${component} ${extra})
    install(FILES examples/fwmatrix.txt DESTINATION ${folder} RENAME fwmatrix.txt.sample
            COMPONENT ${component} ${extra})
    install(DIRECTORY DESTINATION ${folder}/firmware COMPONENT ${component} ${extra})
    install(DIRECTORY DESTINATION ${folder}/boot COMPONENT ${component} ${extra})
  endfunction()

  # The .deb, rooted at /.
  vornup_install_program_folder(${VORNUP_PACKAGE_COMPONENT} opt/vornup)
  # An absolute link, as links into another top-level directory are; made in
  # the build tree and installed as a link.
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging/bin)
  file(CREATE_LINK /opt/vornup/vornup ${CMAKE_CURRENT_BINARY_DIR}/packaging/bin/vornup SYMBOLIC)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/bin/vornup DESTINATION usr/bin
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(DIRECTORY DESTINATION etc/vornup/registry COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  # The trusted keys are configuration: kept in /etc, where the program
  # finds them through the link beside it.
  install(DIRECTORY DESTINATION etc/vornup/trusted-keys COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging/opt)
  file(CREATE_LINK /etc/vornup/trusted-keys ${CMAKE_CURRENT_BINARY_DIR}/packaging/opt/trusted-keys
       SYMBOLIC)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/opt/trusted-keys DESTINATION opt/vornup
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES docs/vornup.1 DESTINATION usr/share/man/man1
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES README.md DESTINATION usr/share/doc/vornup COMPONENT ${VORNUP_PACKAGE_COMPONENT})
  install(FILES docs/models.md docs/report.schema.json docs/history.schema.json docs/baselines.md
                docs/baseline.schema.json
                DESTINATION usr/share/doc/vornup/docs
          COMPONENT ${VORNUP_PACKAGE_COMPONENT})

  # The .tar.gz: the folder alone, with its own words.
  vornup_install_program_folder(${VORNUP_ARCHIVE_COMPONENT} vornup)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  configure_file(${linux_files}/INSTALL.txt.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/INSTALL.txt
                 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/INSTALL.txt README.md DESTINATION vornup
          COMPONENT ${VORNUP_ARCHIVE_COMPONENT} EXCLUDE_FROM_ALL)
  install(FILES docs/vornup.1 docs/models.md docs/report.schema.json docs/history.schema.json docs/baselines.md
                docs/baseline.schema.json
                DESTINATION vornup/docs
          COMPONENT ${VORNUP_ARCHIVE_COMPONENT} EXCLUDE_FROM_ALL)
endif()

set(CPACK_PACKAGE_NAME vornup)
# All four numbers, as the program's usage text and version resource show them.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Firmware and boot code updates for Korvane Fibre Channel and converged adapters")
set(CPACK_PACKAGE_CONTACT "Korvane firmware tools <firmware-tools@korvane.example>")
# Pack the one component, from this build tree, at the package's root (the
# Linux packages choose theirs in PackagingGenerators.cmake).
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${VORNUP_PACKAGE_COMPONENT};/")
# A source package would otherwise sweep up every build tree under build/.
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")
# The packed program carries no symbol table (resources and manifest stay).
set(CPACK_STRIP_FILES ON)
# Signing before packing, the Windows Installer package and the checksums
# after.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackagingPreBuild.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackagingPostBuild.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_VORNUP_WINDOWS ON)
  find_program(CPACK_VORNUP_WIXL wixl)
  find_program(CPACK_VORNUP_MSIBUILD msibuild)
  find_program(CPACK_VORNUP_OSSLSIGNCODE osslsigncode)
  # Authenticode signing: empty leaves the files unsigned; the environment
  # variables of the same names, set when packing, come first.
  foreach(setting VORNUP_SIGN_CERT VORNUP_SIGN_KEY VORNUP_SIGN_PASSWORD_FILE
                  VORNUP_SIGN_TIMESTAMP_URL)
    set(${setting} "" CACHE STRING "Authenticode signing of the Windows packages")
    set(CPACK_${setting} "${${setting}}")
  endforeach()
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
  find_program(VORNUP_RPMBUILD rpmbuild)
  if(VORNUP_RPMBUILD)
    list(APPEND CPACK_GENERATOR RPM)
  else()
    message(WARNING "rpmbuild (Debian package rpm) was not found: no RPM package")
  endif()
  set(CPACK_VORNUP_ARCHIVE_PROJECTS
      "${CMAKE_BINARY_DIR};${PROJECT_NAME};${VORNUP_ARCHIVE_COMPONENT};/")
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingGenerators.cmake)

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${linux_files}/postinst ${linux_files}/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # CPack puts the summary above this text.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "vornup brings the firmware and boot code of a host's Korvane Fibre Channel host\n"
      "bus adapters and converged network adapters to the versions an administrator\n"
      "chose, through the Korvane management tool Tandrel. It runs unattended and\n"
      "ends with an exit code for scripts. The images come from the table\n"
      "fwmatrix.txt or, in automatic mode, from the firmware and boot directories\n"
      "beside the program. It is installed in /opt/vornup; vornup-register-tool\n"
      "there registers the management tool.")
  find_program(VORNUP_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(VORNUP_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    if(VORNUP_SHARED_CXX_RUNTIME)
      set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
    else()
      set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
    endif()
  endif()

  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_PACKAGE_RELEASE 1)
  set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  set(CPACK_RPM_POST_INSTALL_SCRIPT_FILE ${linux_files}/rpm/post)
  set(CPACK_RPM_POST_UNINSTALL_SCRIPT_FILE ${linux_files}/rpm/postun)
  # Installed where the .deb installs, and nothing beyond its files: no
  # build-id links under /usr/lib.
  set(CPACK_RPM_PACKAGE_RELOCATABLE OFF)
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
  # The folders of the base system belong to it, not to this package.
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /opt /usr/share/man /usr/share/man/man1)
endif()

include(CPack)
