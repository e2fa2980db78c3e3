# Installing and the Debian package (scripts/package): the three programs, the shipped files, man
# pages, the desktop entry and icon, the systemd user unit and the documentation. Included from
# CMakeLists.txt once the program targets exist.

# The version comes from project(); the upgrade test builds a later one from the same tree with
# -DKV4910_VERSION=X.Y.Z (empty: the project's).
set(KV4910_VERSION "" CACHE STRING "Package and program version in place of the project's")
if(KV4910_VERSION)
  set(KV4910_PACKAGE_VERSION ${KV4910_VERSION})
else()
  set(KV4910_PACKAGE_VERSION ${PROJECT_VERSION})
endif()
if(TARGET kv4910)
  target_compile_definitions(kv4910 PRIVATE KV4910_PACKAGE_VERSION="${KV4910_PACKAGE_VERSION}")
else()
  return()
endif()

include(GNUInstallDirs)
# Packaging installs what scripts/package built (the three programs), not the tests as well.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(programs kv4910)
foreach(tool kv4910-sim kv4910-client)
  if(TARGET ${tool})
    list(APPEND programs ${tool})
  endif()
endforeach()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Every shipped language and message file, whichever languages the data folder holds.
file(GLOB shipped_texts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.lng ${CMAKE_SOURCE_DIR}/data/*.msg)
set(shipped_dir ${CMAKE_INSTALL_DATADIR}/kv4910)
install(FILES ${shipped_texts} ${CMAKE_SOURCE_DIR}/packaging/rb4900_cfg.ini DESTINATION ${shipped_dir})
install(FILES ${CMAKE_SOURCE_DIR}/data/samples/receipt.txt DESTINATION ${shipped_dir}/samples)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/kv4910.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kv4910.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kv4910.service DESTINATION lib/systemd/user)

# Man pages and the changelog go in compressed, as Debian has them.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})
set(KV4910_DEBIAN_VERSION ${KV4910_PACKAGE_VERSION}-1)
string(TIMESTAMP KV4910_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${packaging_out}/changelog.Debian @ONLY)
set(gz_sources ${packaging_out}/changelog.Debian)
foreach(page kv4910 kv4910-sim kv4910-client)
  list(APPEND gz_sources ${CMAKE_SOURCE_DIR}/packaging/man/${page}.1)
  install(FILES ${packaging_out}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(gz_outputs)
foreach(source IN LISTS gz_sources)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${packaging_out}/${name}.gz
    COMMAND gzip -9 -n -c ${source} > ${packaging_out}/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND gz_outputs ${packaging_out}/${name}.gz)
endforeach()
add_custom_target(kv4910_package_files DEPENDS ${gz_outputs})
add_dependencies(kv4910 kv4910_package_files)

# The documentation: the README's sections for a shop's PC, and the copyright.
file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
set(shop_readme "KV4910 print manager\n====================\n\n")
foreach(heading "Install" "Running against a real printer")
  string(FIND "${readme}" "\n## ${heading}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "README.md has no section \"${heading}\"")
  endif()
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${readme}" ${start} -1 section)
  string(FIND "${section}" "\n## " end)
  if(end GREATER 0)
    string(SUBSTRING "${section}" 0 ${end} section)
  endif()
  string(APPEND shop_readme "${section}\n")
endforeach()
file(WRITE ${packaging_out}/README.new "${shop_readme}")
configure_file(${packaging_out}/README.new ${packaging_out}/README COPYONLY)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kv4910)
install(FILES ${packaging_out}/README ${CMAKE_SOURCE_DIR}/packaging/copyright
  ${packaging_out}/changelog.Debian.gz DESTINATION ${doc_dir})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kv4910)

# ---- the Debian package ------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv4910)
set(CPACK_PACKAGE_VERSION ${KV4910_PACKAGE_VERSION})
# The package's revision: the program is upstream, its Debian packaging the first of that version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "KV4910 developers <kv4910@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "print manager for the KV4910 fiscal printer
The print manager runs next to a shop's point-of-sale program and drives a
KV4910 fiscal printer over a serial line: it prints the receipts the
point-of-sale program drops as files, writes the result files back, and
offers reports, copies, the printer's settings and a small till from its
tray menu. Client programs can also drive it through messages or a local
HTTP/JSON interface.
.
The package holds the print manager kv4910, the printer simulator
kv4910-sim, the client tool kv4910-client, the Slovak texts, a systemd
user unit for tills without a desktop, and a desktop entry. Each user's
settings and working files live in ~/.local/share/kv4910, which the
package never touches.")
include(CPack)
