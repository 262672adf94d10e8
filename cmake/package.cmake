# Installation and the Debian package (tools/package.sh): the two programs,
# a man page for each, and the README and scheduling guide as documentation.
include(GNUInstallDirs)

install(TARGETS mp2zel zeldump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

find_program(GZIP gzip)
foreach(page mp2zel zeldump)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  if(GZIP)
    # Compressed without a time stamp, so the package is the same from build to build.
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
      COMMAND ${GZIP} -9nf -k ${PROJECT_BINARY_DIR}/man/${page}.1
      DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1)
    list(APPEND manPages ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  else()
    list(APPEND manPages ${PROJECT_BINARY_DIR}/man/${page}.1)
  endif()
endforeach()
add_custom_target(man_pages ALL DEPENDS ${manPages})
install(FILES ${manPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md docs/scheduling.md docs/ARCHITECTURE.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME mp2zel)
set(CPACK_PACKAGE_VENDOR "mp2zel developers")
set(CPACK_PACKAGE_CONTACT "mp2zel developers <mp2zel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch compiler of Polish-format maps into tiled .zel files")
set(CPACK_PACKAGE_DESCRIPTION
  "mp2zel compiles vector maps in the text Polish map format (*.mp) into compact\n\
binary tiled map files (.zel): geometry cut into squares and delta-coded, a\n\
routing graph with turn restrictions and an address index. zeldump checks and\n\
shows a .zel file.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()
include(CPack)
