# `make package`: a Debian package of the installed program, built by CPack.
set(VELCARO_MAINTAINER "Velcaro maintainers <maintainers@users.noreply.c-seed-747a9822.example>")

# Debian wants a copyright file, a compressed changelog and a manual page.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velcaro)
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
set(manpage_gz ${CMAKE_CURRENT_BINARY_DIR}/packaging/velcaro.1.gz)
add_custom_command(OUTPUT ${manpage_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/velcaro.1 > ${manpage_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/velcaro.1)
add_custom_target(velcaro_package_docs ALL DEPENDS ${changelog_gz} ${manpage_gz})
install(FILES packaging/copyright ${changelog_gz} DESTINATION ${doc_dir})
install(FILES ${manpage_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velcaro)
set(CPACK_PACKAGE_VENDOR "Velcaro maintainers")
set(CPACK_PACKAGE_CONTACT ${VELCARO_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web page viewer that takes the text out of a page")
set(CPACK_PACKAGE_DESCRIPTION "Velcaro shows the web page or local HTML file whose address is
typed, and copies the whole text of the page into an editable window with
one menu command. The text is saved from there as UTF-8 plain text or as
an RTF document; the page can be printed or previewed. The user interface
is in Italian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELCARO_MAINTAINER})
# The libraries (and the engine's helper process) come from dpkg-shlibdeps; the SVG icon
# engine and Qt's translations are loaded at run time and must be named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
# Without the fonts Japanese, Chinese, Korean, Arabic and Hebrew pages show empty boxes; without
# Qt's Wayland platform the program runs through XWayland on a Wayland desktop; without
# Debian's chromium, which gets every security fix, velcaro --capture loads its pages in the
# window's older engine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-core, fonts-noto-cjk, fonts-noto-color-emoji, qt6-wayland, chromium")
include(CPack)
