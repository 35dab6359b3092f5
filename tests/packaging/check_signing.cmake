# Authenticode signatures of the Windows packages, for check_packages.cmake:
# the packages made without a certificate carry none; made again with a
# throwaway code-signing certificate (its key protected by a password), the
# program in the ZIP, the Windows Installer package and the program in it
# verify, and a copy changed by one byte does not.

function(expect_signature file expected)
  execute_process(COMMAND ${OSSLSIGNCODE} verify -CAfile ${WORK}/signing/cert.pem -in ${file}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    set(result invalid)
  else()
    set(result valid)
  endif()
  if(log MATCHES "No signature found|file has no signature")
    set(result none)
  endif()
  if(NOT result STREQUAL expected)
    message(FATAL_ERROR "${file}: the signature is ${result}, expected ${expected}:\n${log}")
  endif()
endfunction()

# A copy of `file` with the byte in the middle changed.
function(tampered_copy file copy)
  file(COPY_FILE ${file} ${copy})
  file(SIZE ${copy} size)
  math(EXPR middle "${size} / 2")
  execute_process(COMMAND sh -c "printf '\\252' | dd of=\"$1\" bs=1 seek=$2 conv=notrunc 2>/dev/null"
                          sh ${copy} ${middle} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot change ${copy}")
  endif()
endfunction()

# `zip` and `msi` are the unsigned packages in ${WORK}/out, the ZIP unpacked
# in ${WORK}/zip.
function(check_signing zip msi)
  set(keys ${WORK}/signing)
  file(MAKE_DIRECTORY ${keys})
  file(WRITE ${keys}/password "throwaway ${VERSION}\n")
  run_expecting(0 log ${OPENSSL} req -x509 -newkey rsa:2048 -sha256 -days 2
                -subj "/CN=vornup test signing" -addext "extendedKeyUsage=codeSigning"
                -keyout ${keys}/key.pem -out ${keys}/cert.pem -passout file:${keys}/password)
  expect_signature(${WORK}/zip/vornup.exe none)
  expect_signature(${WORK}/out/${msi} none)

  set(signed ${WORK}/signed)
  run_expecting(0 log ${CMAKE_COMMAND} -E env VORNUP_SIGN_CERT=${keys}/cert.pem
                VORNUP_SIGN_KEY=${keys}/key.pem VORNUP_SIGN_PASSWORD_FILE=${keys}/password
                ${CPACK} --config ${CPACK_CONFIG} -B ${signed})
  expect_checksums(${signed} ${zip} ${msi})
  unpack(${signed}/${zip} ${signed}/zip)
  run_expecting(0 log ${MSIEXTRACT} -C ${signed}/msi ${signed}/${msi})
  file(GLOB_RECURSE installed ${signed}/msi/vornup.exe)
  expect_signature(${installed} valid)
  foreach(file ${signed}/zip/vornup.exe ${signed}/${msi})
    expect_signature(${file} valid)
    tampered_copy(${file} ${signed}/tampered)
    expect_signature(${signed}/tampered invalid)
    file(REMOVE ${signed}/tampered)
  endforeach()
endfunction()
