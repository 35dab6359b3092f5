# Checks the Windows program file itself: it imports nothing but Windows
# system DLLs (the runtime is linked in), carries a manifest that runs it as
# the invoking user, and a version resource with the product version.
#   cmake -DPROGRAM=vornup.exe -DOBJDUMP=objdump -DVERSION=6.0.23.1 -P check_windows_program.cmake
cmake_minimum_required(VERSION 3.25)
# bcrypt and crypt32: the signature checks and hashes (CNG) and the key files.
set(system_dlls KERNEL32.dll ADVAPI32.dll msvcrt.dll bcrypt.dll CRYPT32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the headers of ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(STRIP "${dll}" dll)
  if(NOT dll IN_LIST system_dlls)
    message(FATAL_ERROR "${PROGRAM} imports ${dll}, which is no Windows system DLL")
  endif()
  message(STATUS "imports ${dll}")
endforeach()

file(STRINGS ${PROGRAM} manifest REGEX "requestedExecutionLevel level=\"asInvoker\"")
if(NOT manifest)
  message(FATAL_ERROR "${PROGRAM} has no manifest that runs it as the invoking user")
endif()
file(STRINGS ${PROGRAM} elevation REGEX "requireAdministrator|highestAvailable")
if(elevation)
  message(FATAL_ERROR "${PROGRAM} asks for elevation: ${elevation}")
endif()

file(STRINGS ${PROGRAM} version ENCODING UTF-16LE REGEX "^${VERSION}$")
if(NOT version)
  message(FATAL_ERROR "${PROGRAM} has no version resource ${VERSION}")
endif()
