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
# Resource-script string literals double their quotes and backslashes.
function(launchgate_rc_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\"\"" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
launchgate_rc_string(LAUNCHGATE_RC_COMPANY_NAME "${LAUNCHGATE_COMPANY_NAME}")
launchgate_rc_string(LAUNCHGATE_RC_COPYRIGHT "${LAUNCHGATE_COPYRIGHT}")

set(_resources_in ${PROJECT_SOURCE_DIR}/resources)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_resources_in}/LaunchGate.exe.manifest.in)

# The compiler's own calls of memset and memcpy land in the product's; left as loops, they
# would be turned into calls of themselves.
set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/memory_functions.cpp PROPERTIES
    COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)

# Each executable runs once and briefly: small code loads faster than fast code. Headers show
# only what Windows XP has, so a newer call does not compile. Nothing unwinds through the
# program's frames in the 32-bit build: no exceptions, no runtime that would. (The 64-bit build
# keeps its unwind data, which Windows itself uses there.)
function(launchgate_harden_code target)
    # Each function in a section of its own, so that the linker leaves out what one executable
    # of the two never calls.
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
    target_compile_definitions(${target} PRIVATE _WIN32_WINNT=0x0501 WINVER=0x0501)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
    endif()
endfunction()
launchgate_harden_code(gate_logic)
launchgate_harden_code(check_tool_logic)

# One executable of the product: NAME.exe from SOURCES, with its own manifest and version
# resource (DESCRIPTION as its description), started at ENTRY without a C runtime, importing
# from KERNEL32 and ADVAPI32 alone, the libraries every Windows process has from the system
# folder; SUBSYSTEM is windows or console.
function(launchgate_add_executable name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "SUBSYSTEM;ENTRY;DESCRIPTION" "SOURCES;LIBRARIES")
    set(LAUNCHGATE_MANIFEST_NAME "${name}")
    set(LAUNCHGATE_FILE_DESCRIPTION "${arg_DESCRIPTION}")
    set(LAUNCHGATE_INTERNAL_NAME "${name}")
    set(LAUNCHGATE_ORIGINAL_FILENAME "${name}.exe")
    set(out ${PROJECT_BINARY_DIR}/resources/${name})
    # The manifest's comments are for its readers here, not for the loader: they are left out
    # of the executable. (The comments hold no '>', which ends them in the pattern below.)
    file(READ ${_resources_in}/LaunchGate.exe.manifest.in manifest)
    string(REGEX REPLACE "[ \t]*<!--[^>]*-->[ \t]*\n?" "" manifest "${manifest}")
    string(REGEX REPLACE "\n[ \t]*\n" "\n" manifest "${manifest}")
    file(CONFIGURE OUTPUT ${out}/app.manifest CONTENT "${manifest}" @ONLY)
    configure_file(${_resources_in}/version.rc.in ${out}/version.rc @ONLY)
    configure_file(${_resources_in}/app.rc ${out}/app.rc COPYONLY)
    # windres looks for included and referenced files in its include directories, and does not
    # report them as dependencies: list them so that editing either relinks the executable.
    set_source_files_properties(${out}/app.rc PROPERTIES
        INCLUDE_DIRECTORIES ${out}
        OBJECT_DEPENDS "${out}/app.manifest;${out}/version.rc")

    if(arg_SUBSYSTEM STREQUAL "windows")
        add_executable(${name} WIN32 ${arg_SOURCES} ${out}/app.rc)
    else()
        add_executable(${name} ${arg_SOURCES} ${out}/app.rc)
        target_link_options(${name} PRIVATE -mconsole)
    endif()
    target_compile_options(${name} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti>")
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} kernel32 advapi32)
    launchgate_harden_code(${name})

    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(entry _${arg_ENTRY})
    else()
        set(entry ${arg_ENTRY})
    endif()
    target_link_options(${name} PRIVATE -nostdlib -Wl,--entry,${entry} -Wl,--gc-sections -s)
    # PE header: OS and subsystem versions; ASLR and DEP; no link time stamp, so that two builds
    # of one source give the same bytes. Stripping keeps .reloc, which ASLR needs on 32-bit.
    target_link_options(${name} PRIVATE
        -Wl,--major-os-version,${LAUNCHGATE_PE_VERSION_MAJOR}
        -Wl,--minor-os-version,${LAUNCHGATE_PE_VERSION_MINOR}
        -Wl,--major-subsystem-version,${LAUNCHGATE_PE_VERSION_MAJOR}
        -Wl,--minor-subsystem-version,${LAUNCHGATE_PE_VERSION_MINOR}
        -Wl,--dynamicbase -Wl,--nxcompat -Wl,--no-insert-timestamp)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        target_link_options(${name} PRIVATE -Wl,--high-entropy-va)
    endif()
endfunction()

launchgate_add_executable(LaunchGate SUBSYSTEM windows ENTRY LaunchGateStart
    DESCRIPTION "LaunchGate: starts an application when the driver is recent enough"
    SOURCES launch_gate/win_main.cpp LIBRARIES gate_logic)
# The check tool: a console program beside the gate, deciding with the gate's own code.
launchgate_add_executable(LaunchGateCheck SUBSYSTEM console ENTRY LaunchGateCheckStart
    DESCRIPTION "LaunchGateCheck: tells what LaunchGate would decide on this machine, and why"
    SOURCES check_tool/check_main.cpp LIBRARIES check_tool_logic gate_logic)

# Release package of the shipped (32-bit) build: cmake --build --preset windows-i686 --target package
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # configure_file for its line-end conversion: Windows line ends, so that every Notepad
    # shows the texts as written (they hold no @VARIABLE@ to fill in).
    set(_package_out ${PROJECT_BINARY_DIR}/package-files)
    foreach(_text detail.ini README.txt)
        configure_file(${PROJECT_SOURCE_DIR}/packaging/${_text} ${_package_out}/${_text}
                       @ONLY NEWLINE_STYLE CRLF)
    endforeach()

    install(TARGETS LaunchGate LaunchGateCheck RUNTIME DESTINATION .)
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
