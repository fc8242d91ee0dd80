# CPack settings for the Debian package tiermend_<version>_<arch>.deb, built from the
# install rules by `cpack -G DEB` (scripts/package). The runtime dependencies are
# worked out by dpkg-shlibdeps from the shared libraries the program links; the ODBC
# drivers for the database servers the tool reaches are recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tiermend)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/strip.cmake)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "tiermend maintainers <maintainers@users.noreply.c-seed-c1aa1ee5.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-postgresql, tdsodbc, odbc-mariadb")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "refresh the salary-bracket tables of a payroll database
tiermend refreshes the health-insurance, labour-insurance, income-tax and
labour-pension bracket tables (health_insu, labor, incom_rep, retire) of a
payroll database from the Access update package tiermenddb.mdb. The target,
named in Link.txt in the working folder, is a SQL Server database reached
through unixODBC and FreeTDS, or a SQLite or Access file. Each table is
emptied and refilled inside one transaction. The tool runs unattended and
reports completion or failure in a dialog.")

include(CPack)
