# The Debian package: `cpack -G DEB` in the build tree packs what
# `cmake --install` installs, under /usr, stripped.
set(GANTRY_PACKAGE_MAINTAINER "Gantry maintainers <maintainers@gantry.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME gantry)
set(CPACK_PACKAGE_VENDOR "Gantry")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${GANTRY_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure, monitor and update Gantry protocol gateways")
# lines under 80 characters, as dpkg shows them
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tools for the technician who links a computer to the configuration port\n"
    "of a Gantry protocol gateway (J1939, DeviceNet, Modbus, PROFIBUS, Ethernet)\n"
    "by a serial line. They read the gateway's identity and run state, edit its\n"
    "settings and J1939 I/O table, upload and download the configuration, keep\n"
    "it in .cfg files, switch Idle/Run, clear errors and flash firmware. Without\n"
    "a gateway they work against a simulated one.\n"
    "\n"
    "The package holds the desktop tool GYConfig, the command line gyconfig-cli,\n"
    "the virtual gateway gantry-gateway for tests and demonstrations, the RP1210\n"
    "library libKV121032.so and the serial driver libKVGYSrl.so.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GANTRY_PACKAGE_MAINTAINER}")
# Dependencies come from the programs' and libraries' own needs (dpkg-shlibdeps)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET GYConfig)
    # GYConfig's SVG icons are drawn by Qt plugins loaded at run time, which
    # dpkg-shlibdeps cannot see (the window-system plugins come with libqt6gui6)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
