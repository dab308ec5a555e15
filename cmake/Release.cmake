# The shipped programs (PagixSetup.exe, Pagix.exe, uninstall.exe): signing and the PE checksum,
# done as the last step of each program's own link, so that everything made from the program
# afterwards (the payload items, the checksum record, the installed copies) has the final bytes.
# scripts/release.sh sets the cache variables from the environment on every release.
include_guard(GLOBAL)

set(PAGIX_SIGN_CERT "" CACHE FILEPATH "PEM certificate (chain) that signs the shipped programs")
set(PAGIX_SIGN_KEY "" CACHE FILEPATH "PEM private key of PAGIX_SIGN_CERT")
set(PAGIX_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with certificate and key, instead of the two")
set(PAGIX_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File with the password of the key or PKCS#12 file")
set(PAGIX_SIGN_TIME "" CACHE STRING "Signing time in seconds since 1970 (SOURCE_DATE_EPOCH)")
set(PAGIX_SIGNATURES_FROM "" CACHE PATH
    "Published signed release whose signatures the rebuilt programs take over (no key needed)")

if(PAGIX_WIN32)
  set(PAGIX_FINISH_ARGS)
  if(PAGIX_SIGNATURES_FROM)
    list(APPEND PAGIX_FINISH_ARGS --signatures-from "${PAGIX_SIGNATURES_FROM}")
  elseif(PAGIX_SIGN_PKCS12 OR PAGIX_SIGN_CERT OR PAGIX_SIGN_KEY)
    if(PAGIX_SIGN_PKCS12)
      list(APPEND PAGIX_FINISH_ARGS --pkcs12 "${PAGIX_SIGN_PKCS12}")
    elseif(PAGIX_SIGN_CERT AND PAGIX_SIGN_KEY)
      list(APPEND PAGIX_FINISH_ARGS --certs "${PAGIX_SIGN_CERT}" --key "${PAGIX_SIGN_KEY}")
    else()
      message(FATAL_ERROR "PAGIX_SIGN_CERT and PAGIX_SIGN_KEY are needed together")
    endif()
    if(PAGIX_SIGN_PASSWORD_FILE)
      list(APPEND PAGIX_FINISH_ARGS --password-file "${PAGIX_SIGN_PASSWORD_FILE}")
    endif()
    if(NOT PAGIX_SIGN_TIME STREQUAL "")
      list(APPEND PAGIX_FINISH_ARGS --time "${PAGIX_SIGN_TIME}")
    endif()
  endif()
endif()

# pagix_shipped_program(TARGET): right after the program is linked (win32 only), signs it when a
# certificate, or a published release to take the signatures from, is configured, and writes its
# PE checksum.
function(pagix_shipped_program target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${PAGIX_SYSTEM_PYTHON3}" "${PAGIX_ROOT}/scripts/finish_pe.py" ${PAGIX_FINISH_ARGS}
            "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()
