# Run by CPack once per package generator, after it installed the files into
# its staging folder and before it packs them: the Windows program is signed
# there (cmake/PackagingSigning.cmake), so that the ZIP and the Windows
# Installer package made from that folder carry the signed vornup.exe.
include(${CMAKE_CURRENT_LIST_DIR}/PackagingSigning.cmake)

if(CPACK_VORNUP_WINDOWS)
  vornup_sign(${CPACK_TEMPORARY_DIRECTORY}/vornup.exe)
endif()
