# The Debian package (make deb): CPack's DEB generator over a staging step of its own, so that any build tree (the
# optimised one of make deb, or the test tree that checks the package) makes the same package without the rules of
# make install, which put a data file beside the program.
set(TEVU_PACKAGE_MAINTAINER "Tevu 开发者 <dev@tevu.org>" CACHE STRING "The package's Maintainer field")

file(READ ${CMAKE_SOURCE_DIR}/packaging/stage.cmake.in TEVU_STAGE)
string(REPLACE "@STRIP@" "${CMAKE_STRIP}" TEVU_STAGE "${TEVU_STAGE}")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/package-stage.cmake CONTENT "${TEVU_STAGE}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/stage.cmake.in)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tevu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TEVU_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# What the staging script sees as CMAKE_INSTALL_PREFIX, below the staging folder (DESTDIR).
set(CPACK_INSTALL_PREFIX /usr)
# Only the staging script: the project's own install rules are make install's.
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALL_SCRIPTS ${CMAKE_BINARY_DIR}/package-stage.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tevu.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library link names: the fonts the windows and the report are drawn in, the toolkit's own texts in Chinese, and the
# platform plugins that open a window on X11 or Wayland.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-noto-cjk, fonts-wqy-microhei, fonts-dejavu-core, fonts-liberation, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "slimming assistant for Simplified-Chinese users")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tevu shows slimming recipes, exercises and tips, looks up the energy of
foods, keeps a dated weight diary and a seven-day plan, and draws the
recorded weights as a curve. It can remind its user to weigh in every day.

Each user's data is one SQLite file in their own home, backed up every day.")
include(CPack)
