# Run by CPack once the package is made (CPACK_POST_BUILD_SCRIPTS): writes SHA256SUMS beside it,
# in the format `sha256sum -c SHA256SUMS` reads. CPack copies the package to
# CPACK_OUTPUT_FILE_PREFIX right after this script, with the same bytes hashed here.

if(NOT CPACK_PACKAGE_FILES)
    message(FATAL_ERROR "LaunchGate: CPack made no package to write SHA256SUMS for")
endif()
set(_sums "")
foreach(_package IN LISTS CPACK_PACKAGE_FILES)
    file(SHA256 "${_package}" _hash)
    get_filename_component(_name "${_package}" NAME)
    string(APPEND _sums "${_hash}  ${_name}\n")
endforeach()
file(WRITE "${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS" "${_sums}")
message(STATUS "LaunchGate: wrote ${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS")
