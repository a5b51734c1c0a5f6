# What `cmake --install` puts where, and the packages CPack makes of it:
# Debian packages "ciphora" (the command-line program and its manual page)
# and "ciphora-bench" (the window) on Linux, a .zip with ciphora.exe on
# Windows. The version is the project's.

include(GNUInstallDirs)

if(WIN32)
  set(CIPHORA_DOC_DIR .)
  install(TARGETS ciphora RUNTIME DESTINATION . COMPONENT ciphora)
else()
  set(CIPHORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ciphora)
  install(TARGETS ciphora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ciphora)

  # The manual page, compressed as Debian keeps them.
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/ciphora.1.in ${PROJECT_BINARY_DIR}/man/ciphora.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/ciphora.1.gz
    COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/man/ciphora.1 > ${PROJECT_BINARY_DIR}/man/ciphora.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/ciphora.1)
  add_custom_target(ciphora_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/man/ciphora.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/ciphora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ciphora)

  if(CIPHORA_BUILD_BENCH)
    install(TARGETS ciphora-bench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ciphora-bench)
    install(FILES ${PROJECT_SOURCE_DIR}/bench/ciphora-bench.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ciphora-bench)
  endif()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CIPHORA_DOC_DIR} COMPONENT ciphora)

set(CPACK_PACKAGE_NAME ciphora)
set(CPACK_PACKAGE_VENDOR "The Ciphora developers")
set(CPACK_PACKAGE_CONTACT "The Ciphora developers <ciphora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encipher and decipher text with a position-keyed substitution cipher")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ciphora)
if(CIPHORA_BUILD_BENCH AND NOT WIN32)
  list(APPEND CPACK_COMPONENTS_ALL ciphora-bench)
endif()

if(WIN32)
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
  set(CPACK_DEBIAN_CIPHORA_DESCRIPTION
    "Encipher and decipher text with a position-keyed substitution cipher\n Every byte becomes a three-digit code that depends on the byte, its position\n and a key of five values; files and pipes of any size stream through all\n cores. Keeps text out of casual view; not for determined attackers.")
  set(CPACK_DEBIAN_CIPHORA-BENCH_DESCRIPTION
    "Test bench window of the Ciphora cipher\n Enciphers and deciphers text interactively, times the cipher and makes new\n substitution tables from the timing of key presses.")
endif()
include(CPack)
