# The Debian package (scripts/package): cpack -G DEB in the build folder.
# Installs under /usr: /usr/bin/kalmora, the private libraries in
# /usr/lib/kalmora, the SQL files in /usr/share/kalmora, a desktop entry, the
# manual page, the bash completion, the copyright file and the changelog.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalmora)
set(CPACK_PACKAGE_VENDOR "Kalmora")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sales-screen configuration of the Kalmora point of sale")
# Lines of at most 80 characters, as Debian's control files want them.
set(CPACK_PACKAGE_DESCRIPTION "Lays out the button menu of a till on an 800x600 touch screen:
product-group buttons and, for the group in focus, product buttons, stored in
SQLite or PostgreSQL (or any database reached through ODBC). Prints the menu
as PDF or PNG sheets and exchanges it with spreadsheets as CSV files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kalmora team <kalmora@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps; the project's own
# are private and found through their RPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/${KALMORA_PRIVATE_LIBDIR})
# Loaded at run time, so not seen by dpkg-shlibdeps: the screen's platform
# plugins, the SQL drivers, libpq and the ODBC driver manager (opened by name
# when a connection needs them), the fonts the screen is drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, libpq5, libodbc2, libqt6svg6, fontconfig, fonts-dejavu-core"
)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-postgresql, libsqliteodbc")

include(CPack)
