# Writes the D-Bus service file that starts the program where this
# installation puts it. Runs at install time, after the variables set
# beside it in data/CMakeLists.txt.
set(VELUMO_INSTALLED_BINARY "${CMAKE_INSTALL_PREFIX}/${VELUMO_BINDIR}/velumo")
set(service
    "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VELUMO_DATADIR}/dbus-1/services/com.orvantis.velumo.service")
message(STATUS "Installing: ${service}")
configure_file("${VELUMO_SERVICE_TEMPLATE}" "${service}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${service}")
