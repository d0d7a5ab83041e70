# What `cmake --install` and the .deb put on a system: the two programs and their notifier module, their data files where
# the programs look for them (bin/../share/kestrel-backup/), the desktop entry, the icon, the
# AppStream metainfo, the manual pages, the shell completion and the systemd examples.

set(KESTREL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kestrel-backup)
set(KESTREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kestrel-backup)
set(KESTREL_APP_ID org.kestrelbackup.KestrelBackup)

install(TARGETS kestrel-backup-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kestrel-backup)
  install(TARGETS kestrel-backup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(TARGET kestrel_notifier)
  install(TARGETS kestrel_notifier LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kestrel-backup)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/data/zbk.dat DESTINATION ${KESTREL_DATA_DIR})
if(EXISTS ${CMAKE_SOURCE_DIR}/data/zbk_help.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/data/zbk_help.txt DESTINATION ${KESTREL_DATA_DIR})
endif()

install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${KESTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${KESTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/kestrel-backup.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/kestrel-backup-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kestrel-backup.png)
endforeach()

# Manual pages and the changelog compressed as Debian wants them: at most compression, and no
# name or time stamp in the gzip header, so that the same sources give the same package.
find_program(GZIP_PROGRAM gzip REQUIRED)
function(kestrel_gzipped source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP_PROGRAM} -9n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
set(compressed_docs)
foreach(page kestrel-backup-cli.1 kestrel-backup.1)
  kestrel_gzipped(${CMAKE_SOURCE_DIR}/data/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND compressed_docs ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
kestrel_gzipped(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
list(APPEND compressed_docs ${CMAKE_BINARY_DIR}/doc/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man ${CMAKE_BINARY_DIR}/doc)
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${KESTREL_DOC_DIR})
if(EXISTS ${CMAKE_SOURCE_DIR}/data/completion/kestrel-backup-cli.bash)
  install(FILES ${CMAKE_SOURCE_DIR}/data/completion/kestrel-backup-cli.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME kestrel-backup-cli)
endif()
file(GLOB systemd_examples ${CMAKE_SOURCE_DIR}/packaging/systemd/*.service
     ${CMAKE_SOURCE_DIR}/packaging/systemd/*.timer)
install(FILES ${systemd_examples} ${CMAKE_SOURCE_DIR}/packaging/cron/kestrel-backup.cron
        DESTINATION ${KESTREL_DOC_DIR}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${KESTREL_DOC_DIR})

# `make deb`: a Debian package whose library dependencies dpkg-shlibdeps works out.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel-backup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrel Backup developers")
set(KESTREL_MAINTAINER "The Kestrel Backup developers <maintainers@kestrelbackup.org>"
    CACHE STRING "the Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${KESTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop backup program that mirrors a folder tree")
# Lines of the long description stay within 80 columns, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrel Backup mirrors a source folder tree below a target folder: it\n\
copies all selected files, or only the new and modified ones, checks a\n\
backup, lists the folders a backup would visit, and deletes or wipes a\n\
backup. kestrel-backup is the desktop program, kestrel-backup-cli the same\n\
engine for terminals, scripts and timers.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "man-db, bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
