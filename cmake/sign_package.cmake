# Run by CPack on the staged copies of the package's files, before they are zipped
# (CPACK_PRE_BUILD_SCRIPTS): signs every executable in the package with the packager's
# certificate. The executables of the build tree are never touched, so they stay the same bytes
# from build to build.
#
# Each executable gets two Authenticode signatures: a SHA-1 one first, the one Windows XP SP3
# reads, then a SHA-256 one nested in it, which Windows 7 and later read.
#
# From CPackConfig.cmake: CPACK_LAUNCHGATE_SIGNING_CERTIFICATE (a PKCS#12 file, empty for an
# unsigned package), CPACK_LAUNCHGATE_OSSLSIGNCODE, CPACK_LAUNCHGATE_TIMESTAMP_URL (optional).
# From the environment: LAUNCHGATE_SIGNING_PASSWORD, the certificate's password.

# A package whose signing fails must not leave the previous one beside SHA256SUMS as if it were
# the new release.
file(REMOVE "${CPACK_OUTPUT_FILE_PREFIX}/${CPACK_PACKAGE_FILE_NAME}.zip"
            "${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS")

if(NOT CPACK_LAUNCHGATE_SIGNING_CERTIFICATE)
    message(STATUS "LaunchGate: the package is not signed (configure with "
                   "-DLAUNCHGATE_SIGNING_CERTIFICATE=/path/to/cert.pfx to sign it)")
    return()
endif()
if(NOT DEFINED ENV{LAUNCHGATE_SIGNING_PASSWORD})
    message(FATAL_ERROR "LaunchGate: set the environment variable LAUNCHGATE_SIGNING_PASSWORD to "
                        "the password of ${CPACK_LAUNCHGATE_SIGNING_CERTIFICATE}")
endif()

file(GLOB_RECURSE _executables LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*.[eE][xX][eE]")
if(NOT _executables)
    message(FATAL_ERROR "LaunchGate: no executable to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()

set(_timestamp)
set(_what "SHA-1 and nested SHA-256 signatures")
if(CPACK_LAUNCHGATE_TIMESTAMP_URL)
    set(_timestamp -ts "${CPACK_LAUNCHGATE_TIMESTAMP_URL}")
    string(APPEND _what ", time-stamped by ${CPACK_LAUNCHGATE_TIMESTAMP_URL}")
endif()

# The intermediate files stay out of the folder that gets zipped.
set(_work "${CPACK_TOPLEVEL_DIRECTORY}-signing")
file(REMOVE_RECURSE "${_work}")
file(MAKE_DIRECTORY "${_work}")

# The password reaches osslsigncode through a pipe from the environment: never on a command line
# (which other users can list) and never in a file.
set(_with_password sh -c "printf '%s' \"$LAUNCHGATE_SIGNING_PASSWORD\" | exec \"$0\" \"$@\""
    "${CPACK_LAUNCHGATE_OSSLSIGNCODE}" sign
    -pkcs12 "${CPACK_LAUNCHGATE_SIGNING_CERTIFICATE}" -readpass /dev/stdin)

set(_index 0)
foreach(_exe IN LISTS _executables)
    math(EXPR _index "${_index} + 1")
    get_filename_component(_name "${_exe}" NAME_WE)
    file(RELATIVE_PATH _shown "${CPACK_TEMPORARY_DIRECTORY}" "${_exe}")
    foreach(_step sha1 sha256)
        if(_step STREQUAL sha1)
            set(_in "${_exe}")
            set(_nest)
        else()
            set(_in "${_work}/${_index}.sha1.exe")
            set(_nest -nest)
        endif()
        set(_out "${_work}/${_index}.${_step}.exe")
        file(REMOVE "${_out}")
        execute_process(
            COMMAND ${_with_password} ${_nest} -h ${_step} -n "${_name}" ${_timestamp}
                    -in "${_in}" -out "${_out}"
            RESULT_VARIABLE _result OUTPUT_VARIABLE _log ERROR_VARIABLE _log)
        if(NOT _result EQUAL 0)
            message(FATAL_ERROR "LaunchGate: the ${_step} signature of ${_shown} failed "
                                "(osslsigncode: ${_result}):\n${_log}")
        endif()
    endforeach()
    file(COPY_FILE "${_work}/${_index}.sha256.exe" "${_exe}")
    message(STATUS "LaunchGate: signed ${_shown} (${_what})")
endforeach()
file(REMOVE_RECURSE "${_work}")
