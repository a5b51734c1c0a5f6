# What `cmake --install` puts where, and the packages CPack makes of it:
# Debian packages "ciphora" (the command-line program and its manual page)
# and "ciphora-bench" (the window) on Linux, a .zip with ciphora.exe on
# Windows. The version is the project's.

include(GNUInstallDirs)

if(WIN32)
  set(CIPHORA_DOC_DIR .)
  install(TARGETS ciphora RUNTIME DESTINATION . COMPONENT ciphora)
  install(FILES ${PROJECT_SOURCE_DIR}/completions/ciphora.ps1 DESTINATION . COMPONENT ciphora)
else()
  set(CIPHORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ciphora)
  install(TARGETS ciphora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ciphora)

  # Shell completions, where each shell looks for them. Under /usr (the
  # Debian packages, whose staging prefix also ends in /usr) zsh looks in
  # vendor-completions, under any other prefix in site-functions.
  install(FILES ${PROJECT_SOURCE_DIR}/completions/ciphora.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ciphora COMPONENT ciphora)
  install(CODE "
    if(CMAKE_INSTALL_PREFIX MATCHES \"/usr$\")
      set(zsh_folder vendor-completions)
    else()
      set(zsh_folder site-functions)
    endif()
    file(INSTALL ${PROJECT_SOURCE_DIR}/completions/_ciphora
      DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/\${zsh_folder}\")" COMPONENT ciphora)
  install(FILES ${PROJECT_SOURCE_DIR}/completions/ciphora.fish
    DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT ciphora)

  # Manual pages and changelogs, compressed as Debian keeps them; the
  # target ciphora_package_files makes them all.
  add_custom_target(ciphora_package_files ALL)
  function(ciphora_install_gzipped source name destination component)
    set(compressed ${PROJECT_BINARY_DIR}/gz/${component}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/gz/${component}
      COMMAND gzip -9 -n -c ${source} > ${compressed}
      DEPENDS ${source})
    add_custom_target(ciphora_gz_${component}_${name} DEPENDS ${compressed})
    add_dependencies(ciphora_package_files ciphora_gz_${component}_${name})
    install(FILES ${compressed} DESTINATION ${destination} COMPONENT ${component})
  endfunction()

  # What every Debian package's documentation folder holds.
  function(ciphora_install_package_docs component)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/debian/copyright
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} COMPONENT ${component})
    ciphora_install_gzipped(${PROJECT_SOURCE_DIR}/docs/debian/changelog changelog
      ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} ${component})
  endfunction()

  configure_file(${PROJECT_SOURCE_DIR}/docs/man/ciphora.1.in ${PROJECT_BINARY_DIR}/man/ciphora.1 @ONLY)
  ciphora_install_gzipped(${PROJECT_BINARY_DIR}/man/ciphora.1 ciphora.1 ${CMAKE_INSTALL_MANDIR}/man1 ciphora)
  ciphora_install_package_docs(ciphora)
  ciphora_install_package_docs(libciphora1)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/debian/libciphora1.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME libciphora1 COMPONENT libciphora1)
  ciphora_install_package_docs(libciphora-dev)

  if(CIPHORA_BUILD_BENCH)
    install(TARGETS ciphora-bench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ciphora-bench)
    install(FILES ${PROJECT_SOURCE_DIR}/bench/ciphora-bench.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ciphora-bench)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/ciphora-bench.1.in ${PROJECT_BINARY_DIR}/man/ciphora-bench.1 @ONLY)
    ciphora_install_gzipped(${PROJECT_BINARY_DIR}/man/ciphora-bench.1 ciphora-bench.1 ${CMAKE_INSTALL_MANDIR}/man1
      ciphora-bench)
    ciphora_install_package_docs(ciphora-bench)
  endif()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CIPHORA_DOC_DIR} COMPONENT ciphora)

set(CPACK_PACKAGE_NAME ciphora)
set(CPACK_PACKAGE_VENDOR "The Ciphora developers")
set(CPACK_PACKAGE_CONTACT "The Ciphora developers <developers@ciphora.org>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ciphora libciphora1 libciphora-dev)
if(CIPHORA_BUILD_BENCH AND NOT WIN32)
  list(APPEND CPACK_COMPONENTS_ALL ciphora-bench)
endif()

if(WIN32)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encipher and decipher text with a position-keyed substitution cipher")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_PACKAGE_FILE_NAME ciphora-${PROJECT_VERSION}-windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_CIPHORA_PACKAGE_NAME ciphora)
  set(CPACK_DEBIAN_CIPHORA-BENCH_PACKAGE_NAME ciphora-bench)
  set(CPACK_DEBIAN_LIBCIPHORA1_PACKAGE_NAME libciphora1)
  set(CPACK_DEBIAN_LIBCIPHORA1_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_LIBCIPHORA-DEV_PACKAGE_NAME libciphora-dev)
  set(CPACK_DEBIAN_LIBCIPHORA-DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_LIBCIPHORA-DEV_PACKAGE_DEPENDS "libciphora1 (= ${PROJECT_VERSION})")
  # The shared library's shlibs file, and the ldconfig trigger that Debian
  # asks for instead of maintainer scripts.
  file(WRITE ${PROJECT_BINARY_DIR}/debian/libciphora1/shlibs "libciphora 1 libciphora1 (>= ${PROJECT_VERSION})\n")
  file(WRITE ${PROJECT_BINARY_DIR}/debian/libciphora1/triggers "activate-noawait ldconfig\n")
  # CPack would otherwise write scripts that call ldconfig themselves.
  foreach(script postinst postrm)
    file(WRITE ${PROJECT_BINARY_DIR}/debian/libciphora1/${script}
      "#!/bin/sh\nset -e\n# The ldconfig trigger refreshes the linker's cache.\n")
    file(CHMOD ${PROJECT_BINARY_DIR}/debian/libciphora1/${script}
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  set(CPACK_DEBIAN_LIBCIPHORA1_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/debian/libciphora1/shlibs ${PROJECT_BINARY_DIR}/debian/libciphora1/triggers
    ${PROJECT_BINARY_DIR}/debian/libciphora1/postinst ${PROJECT_BINARY_DIR}/debian/libciphora1/postrm)
  # The first line of each is the package's synopsis; no summary common to
  # both is set, or CPack would put it before each as a second synopsis.
  set(CPACK_DEBIAN_CIPHORA_DESCRIPTION
    "encipher and decipher text with a position-keyed substitution cipher\nEvery byte becomes a three-digit code that depends on the byte, its position\nand a key of five values; files and pipes of any size stream through all\ncores. Keeps text out of casual view; not for determined attackers.")
  set(CPACK_DEBIAN_LIBCIPHORA1_DESCRIPTION
    "position-keyed substitution cipher, shared library\nThe C interface of the Ciphora cipher for other programs: keys, enciphering\nand deciphering in one call or in pieces, and whole files written atomically,\nbyte for byte as the ciphora program writes them.")
  set(CPACK_DEBIAN_LIBCIPHORA-DEV_DESCRIPTION
    "position-keyed substitution cipher, development files\nThe header, the static library, the link to the shared one, a CMake package\n(find_package(Ciphora)) and a pkg-config file (ciphora) for building programs\nwith the C interface of the Ciphora cipher.")
  set(CPACK_DEBIAN_CIPHORA-BENCH_DESCRIPTION
    "test bench window of the Ciphora cipher\nEnciphers and deciphers text interactively, times the cipher and makes new\nsubstitution tables from the timing of key presses.")
  # Installed binaries carry no symbols, as Debian ships them.
  set(CPACK_STRIP_FILES ON)
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    # dpkg-shlibdeps knows the libraries of this machine's architecture
    # only; these are what the ARM64 program links (GLIBC_2.34 at most, the
    # C++ runtime of GCC 12), as the package test checks.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    set(CPACK_DEBIAN_CIPHORA_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
    set(CPACK_DEBIAN_LIBCIPHORA1_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  endif()
endif()
include(CPack)
