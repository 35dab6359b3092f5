# Authenticode signatures for the Windows program and installer packages,
# made with osslsigncode when a code-signing certificate and its key are
# given; without them the files stay unsigned. Each setting is read from the
# environment of the packing run first, else from the CMake cache variable of
# the same name (cmake/Packaging.cmake passes those to CPack):
#   VORNUP_SIGN_CERT           the certificate (PEM or DER, with its chain)
#   VORNUP_SIGN_KEY            its private key (PEM or DER)
#   VORNUP_SIGN_PASSWORD_FILE  a file holding the key's password, if any
#   VORNUP_SIGN_TIMESTAMP_URL  a time-stamp server, if any, so the signature
#                              outlives the certificate
# Included by CPack's steps before and after packing.

function(vornup_signing_setting name out_var)
  if(DEFINED ENV{${name}} AND NOT "$ENV{${name}}" STREQUAL "")
    set(${out_var} "$ENV{${name}}" PARENT_SCOPE)
  else()
    set(${out_var} "${CPACK_${name}}" PARENT_SCOPE)
  endif()
endfunction()

# Signs `file` in place when signing is asked for; a half-given or unusable
# setting fails the packing rather than leaving a file unsigned unnoticed.
function(vornup_sign file)
  vornup_signing_setting(VORNUP_SIGN_CERT cert)
  vornup_signing_setting(VORNUP_SIGN_KEY key)
  vornup_signing_setting(VORNUP_SIGN_PASSWORD_FILE password_file)
  vornup_signing_setting(VORNUP_SIGN_TIMESTAMP_URL timestamp_url)
  if(cert STREQUAL "" AND key STREQUAL "")
    return()
  endif()
  if(cert STREQUAL "" OR key STREQUAL "")
    message(FATAL_ERROR "signing needs both VORNUP_SIGN_CERT and VORNUP_SIGN_KEY")
  endif()
  foreach(given cert key password_file)
    if(NOT "${${given}}" STREQUAL "" AND NOT EXISTS "${${given}}")
      message(FATAL_ERROR "signing: no file '${${given}}'")
    endif()
  endforeach()
  if(NOT CPACK_VORNUP_OSSLSIGNCODE)
    message(FATAL_ERROR "signing needs osslsigncode, which was not found")
  endif()

  set(options -certs ${cert} -key ${key} -n vornup -h sha256)
  if(NOT password_file STREQUAL "")
    list(APPEND options -readpass ${password_file})
  endif()
  if(NOT timestamp_url STREQUAL "")
    list(APPEND options -ts ${timestamp_url})
  endif()
  set(signed ${file}.signed)
  file(REMOVE ${signed})
  execute_process(COMMAND ${CPACK_VORNUP_OSSLSIGNCODE} sign ${options} -in ${file} -out ${signed}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    file(REMOVE ${signed})
    message(FATAL_ERROR "signing ${file} failed:\n${log}")
  endif()
  file(RENAME ${signed} ${file})
  message(STATUS "signed ${file}")
endfunction()
