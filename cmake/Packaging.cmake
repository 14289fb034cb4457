# The Debian package, built by `make package` (cpack -G DEB).
# Its library dependencies are found by dpkg-shlibdeps from the linked libraries; only the
# plugins that Qt loads at run time, which no linker sees, are named here.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarvex")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Tarvex maintainers <tarvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

# The Debian revision: the package's version is PROJECT_VERSION-1, and data/changelog.Debian
# must begin with that version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
file(STRINGS "${PROJECT_SOURCE_DIR}/data/changelog.Debian" changelog_top LIMIT_COUNT 1)
set(package_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
if(NOT changelog_top MATCHES "^tarvex \\(${package_version}\\) ")
  message(FATAL_ERROR "data/changelog.Debian does not begin with version ${package_version}: ${changelog_top}")
endif()
# Packaged files and folders as Debian wants them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG image and icon engine plugins draw the window icon; Qt Multimedia plays the sounds; the
# SQL drivers, plugins that no linked library names, keep the production record.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libqt6multimedia6, libqt6sql6-sqlite, libqt6sql6-psql")
# The first line of the Debian description is the summary above; CPack indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tarvex stands beside the control software of a CNC machine. An operator scans
labels and 2D barcodes with a scanner on a serial port; Tarvex works out what
each scan means (a list command, a work-field choice, a program with its piece
sizes, a list file to load, or a whole program carried in a barcode) and sends
lines to the machine's work list.

The package holds the program with its menu entry and icon, the manual pages
and a commented sample configuration file.")

include(CPack)
