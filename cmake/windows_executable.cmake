# Everything specific to the Windows executable: XP-level headers and PE header, hardening,
# reproducible output, the embedded manifest and version resource, and the release package.
# Included from the top CMakeLists.txt in Windows builds only.

enable_language(RC)

# Filled into the version resource; the packager sets them when configuring.
set(LAUNCHGATE_COMPANY_NAME "" CACHE STRING "CompanyName of the version resource")
set(LAUNCHGATE_COPYRIGHT "" CACHE STRING "LegalCopyright of the version resource")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(LAUNCHGATE_MANIFEST_ARCH x86)
    # The shipped build runs on Windows XP: PE header versions 5.1.
    set(LAUNCHGATE_PE_VERSION_MAJOR 5)
    set(LAUNCHGATE_PE_VERSION_MINOR 1)
else()
    set(LAUNCHGATE_MANIFEST_ARCH amd64)
    # The first 64-bit Windows (XP x64, Server 2003) is 5.2; no 64-bit 5.1 ever existed.
    set(LAUNCHGATE_PE_VERSION_MAJOR 5)
    set(LAUNCHGATE_PE_VERSION_MINOR 2)
endif()

# Version in one place: project(LaunchGate VERSION ...).
set(_tweak "${PROJECT_VERSION_TWEAK}")
if(_tweak STREQUAL "")
    set(_tweak 0)
endif()
set(LAUNCHGATE_VERSION_QUAD
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${_tweak}")
set(LAUNCHGATE_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${_tweak}")
set(LAUNCHGATE_MANIFEST_NAME "LaunchGate")
set(LAUNCHGATE_FILE_DESCRIPTION "LaunchGate: starts an application when the driver is recent enough")

# Resource-script string literals double their quotes and backslashes.
function(launchgate_rc_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\"\"" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
launchgate_rc_string(LAUNCHGATE_RC_COMPANY_NAME "${LAUNCHGATE_COMPANY_NAME}")
launchgate_rc_string(LAUNCHGATE_RC_COPYRIGHT "${LAUNCHGATE_COPYRIGHT}")

set(_resources_in ${PROJECT_SOURCE_DIR}/resources)
set(_resources_out ${PROJECT_BINARY_DIR}/resources)
# The manifest's comments are for its readers here, not for the loader: they are left out of
# the executable. (The comments hold no '>', which ends them in the pattern below.)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_resources_in}/LaunchGate.exe.manifest.in)
file(READ ${_resources_in}/LaunchGate.exe.manifest.in _manifest)
string(REGEX REPLACE "[ \t]*<!--[^>]*-->[ \t]*\n?" "" _manifest "${_manifest}")
string(REGEX REPLACE "\n[ \t]*\n" "\n" _manifest "${_manifest}")
file(CONFIGURE OUTPUT ${_resources_out}/LaunchGate.exe.manifest CONTENT "${_manifest}" @ONLY)
configure_file(${_resources_in}/version.rc.in ${_resources_out}/version.rc @ONLY)
# windres looks for included and referenced files in its include directories, and does not
# report them as dependencies: list them so that editing either relinks the executable.
set_source_files_properties(${_resources_in}/app.rc PROPERTIES
    INCLUDE_DIRECTORIES ${_resources_out}
    OBJECT_DEPENDS "${_resources_out}/LaunchGate.exe.manifest;${_resources_out}/version.rc")

add_executable(LaunchGate WIN32 launch_gate/win_main.cpp ${_resources_in}/app.rc)
target_compile_options(LaunchGate PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti>")
target_link_libraries(LaunchGate PRIVATE gate_logic kernel32 advapi32)
# The compiler's own calls of memset and memcpy land in the product's; left as loops, they
# would be turned into calls of themselves.
set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/memory_functions.cpp PROPERTIES
    COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)

# The gate runs once and briefly: small code loads faster than fast code.
foreach(_target gate_logic LaunchGate)
    target_compile_options(${_target} PRIVATE -Os)
endforeach()

# Headers show only what Windows XP has, so a newer call does not compile.
foreach(_target gate_logic LaunchGate)
    target_compile_definitions(${_target} PRIVATE _WIN32_WINNT=0x0501 WINVER=0x0501)
endforeach()

# No C runtime: the executable starts at its own entry point and imports from KERNEL32 and
# ADVAPI32 alone, the libraries every Windows process has from the system folder.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_entry _LaunchGateStart)
    # Nothing unwinds through the gate's frames: no exceptions, no runtime that would. (The
    # 64-bit build keeps its unwind data, which Windows itself uses there.)
    foreach(_target gate_logic LaunchGate)
        target_compile_options(${_target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
    endforeach()
else()
    set(_entry LaunchGateStart)
endif()
target_link_options(LaunchGate PRIVATE -nostdlib -Wl,--entry,${_entry} -s)
# PE header: OS and subsystem versions; ASLR and DEP; no link time stamp, so that two builds
# of one source give the same bytes. Stripping keeps .reloc, which ASLR needs on 32-bit.
target_link_options(LaunchGate PRIVATE
    -Wl,--major-os-version,${LAUNCHGATE_PE_VERSION_MAJOR}
    -Wl,--minor-os-version,${LAUNCHGATE_PE_VERSION_MINOR}
    -Wl,--major-subsystem-version,${LAUNCHGATE_PE_VERSION_MAJOR}
    -Wl,--minor-subsystem-version,${LAUNCHGATE_PE_VERSION_MINOR}
    -Wl,--dynamicbase -Wl,--nxcompat -Wl,--no-insert-timestamp)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    target_link_options(LaunchGate PRIVATE -Wl,--high-entropy-va)
endif()

# Release package of the shipped (32-bit) build: cmake --build --preset windows-i686 --target package
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # configure_file for its line-end conversion: Windows line ends, so that every Notepad
    # shows the texts as written (they hold no @VARIABLE@ to fill in).
    set(_package_out ${PROJECT_BINARY_DIR}/package-files)
    foreach(_text detail.ini README.txt)
        configure_file(${PROJECT_SOURCE_DIR}/packaging/${_text} ${_package_out}/${_text}
                       @ONLY NEWLINE_STYLE CRLF)
    endforeach()

    install(TARGETS LaunchGate RUNTIME DESTINATION .)
    install(FILES ${_package_out}/detail.ini ${_package_out}/README.txt DESTINATION .)

    set(CPACK_VERBATIM_VARIABLES ON)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME LaunchGate)
    set(CPACK_PACKAGE_VENDOR "${LAUNCHGATE_COMPANY_NAME}")
    set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
    set(CPACK_PACKAGE_FILE_NAME "LaunchGate-${PROJECT_VERSION}-win32")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    set(LAUNCHGATE_PACKAGE_FILE "${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip")

    # Signing happens inside CPack on the staged copies; the password comes from the environment
    # when the package is built, so it is never stored in the cache.
    set(LAUNCHGATE_SIGNING_CERTIFICATE "" CACHE FILEPATH
        "PKCS#12 file (.pfx) that signs the packaged executables; password in the environment variable LAUNCHGATE_SIGNING_PASSWORD")
    set(LAUNCHGATE_TIMESTAMP_URL "" CACHE STRING
        "RFC 3161 time-stamping service for the signatures (optional)")
    if(LAUNCHGATE_SIGNING_CERTIFICATE)
        if(NOT EXISTS "${LAUNCHGATE_SIGNING_CERTIFICATE}")
            message(FATAL_ERROR "LAUNCHGATE_SIGNING_CERTIFICATE: no such file: ${LAUNCHGATE_SIGNING_CERTIFICATE}")
        endif()
        find_program(LAUNCHGATE_OSSLSIGNCODE osslsigncode REQUIRED)
    endif()
    set(CPACK_LAUNCHGATE_SIGNING_CERTIFICATE "${LAUNCHGATE_SIGNING_CERTIFICATE}")
    set(CPACK_LAUNCHGATE_OSSLSIGNCODE "${LAUNCHGATE_OSSLSIGNCODE}")
    set(CPACK_LAUNCHGATE_TIMESTAMP_URL "${LAUNCHGATE_TIMESTAMP_URL}")
    set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/sign_package.cmake)
    set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/write_checksums.cmake)
    include(CPack)
endif()
