# The Windows Installer package (packaging/windows/vornup.wxs), built with
# wixl from a folder laid out as the ZIP is (vornup.exe, fwmatrix.txt,
# README.md, docs\models.md). CPack's step after packing
# (cmake/PackagingPostBuild.cmake) includes this file; the package tests run
# it on their own to make a package of another version:
#
#   cmake -DFOLDER=<folder> -DVERSION=6.0.23.1 -DSYSTEM=win64 -DOUTPUT=<file.msi>
#         -DWIXL=wixl -DMSIBUILD=msibuild -P cmake/WindowsInstaller.cmake
#
# The product code is derived from the version and the bitness, so one
# version's package always has the same one (a deployment tool detects the
# installed product by it); the upgrade code never changes, so a package
# of another version replaces the installed one of its bitness. Windows
# Installer compares only the first three numbers of a version: packages that
# differ in the fourth replace each other either way.
set(VORNUP_WXS ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/vornup.wxs)

# Per bitness: the upgrade code, wixl's architecture, the Program Files
# folder, whether the components are 64-bit, and the update table's component
# attributes (msidbComponentAttributes...: 64-bit 256, Permanent 16,
# NeverOverwrite 128), which keep the administrator's edits: never
# overwritten, never removed.
set(VORNUP_MSI_win64 DCADACFD-DA3A-4F0D-B22B-14C1D870CDB3 x64 ProgramFiles64Folder yes 400)
set(VORNUP_MSI_win32 575A0CE2-B43C-4F74-A987-5684A57E67AC x86 ProgramFilesFolder no 144)
# The components of vornup.wxs; each has a fixed code per bitness.
set(VORNUP_MSI_COMPONENTS Program UpdateTable Readme FirmwareFolder BootFolder Models)

# wixl takes the files by names relative to the folder it runs in.
function(vornup_msi_run what folder)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${folder} RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    message(FATAL_ERROR "${what} failed:\n${log}")
  endif()
endfunction()

# Builds `output` from `folder` for `system` (win32 or win64) at `version`,
# with the programs `wixl` and `msibuild`.
function(vornup_make_msi folder version system output wixl msibuild)
  set(target ${VORNUP_MSI_${system}})
  if(NOT target)
    message(FATAL_ERROR "no Windows Installer package for '${system}'")
  endif()
  list(GET target 0 upgrade_code)
  list(GET target 1 arch)
  list(GET target 2 program_files)
  list(GET target 3 win64)
  list(GET target 4 table_attributes)

  string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${version}" TYPE SHA1 UPPER)
  set(defines -D Version=${version} -D ProductCode=${product_code} -D UpgradeCode=${upgrade_code}
              -D ProgramFilesFolder=${program_files} -D Win64=${win64})
  foreach(component ${VORNUP_MSI_COMPONENTS})
    string(UUID guid NAMESPACE ${upgrade_code} NAME "component ${component}" TYPE SHA1 UPPER)
    list(APPEND defines -D ${component}Guid=${guid})
  endforeach()

  set(draft ${output}.draft)
  file(REMOVE ${draft})
  vornup_msi_run("wixl" ${folder} ${wixl} -a ${arch} ${defines} -o ${draft} ${VORNUP_WXS})
  # What wixl cannot say in the source: the table's attributes, and that a
  # package of the same three-number version replaces the installed one
  # (VersionMaxInclusive, 256, beside MigrateFeatures, 1).
  vornup_msi_run("setting the update table's attributes" ${folder} ${msibuild} ${draft} -q
                 "UPDATE `Component` SET `Attributes` = ${table_attributes} WHERE `Component` = 'UpdateTable'")
  # The attributes are part of the Upgrade table's key: the row is replaced.
  vornup_msi_run("setting the upgrade's version range" ${folder} ${msibuild} ${draft} -q
                 "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'" -q
                 "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('{${upgrade_code}}', '${version}', 257, 'WIX_UPGRADE_DETECTED')")
  file(RENAME ${draft} ${output})
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  vornup_make_msi(${FOLDER} ${VERSION} ${SYSTEM} ${OUTPUT} ${WIXL} ${MSIBUILD})
endif()
