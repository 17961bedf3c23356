# Where an installed suite lands, and the install rules of its programs and
# libraries.
#
# Programs go to <prefix>/bin. The two libraries go to a private folder,
# <libdir>/gantry, that no other program searches: the programs find them
# through a RUNPATH relative to $ORIGIN, the RP1210 library finds the driver
# beside itself ($ORIGIN), so an installed tree still works after it is moved
# as a whole. Examples go to <docdir>/examples (share/doc/gantry).
set(CMAKE_INSTALL_DOCDIR share/doc/gantry CACHE PATH "Documentation and examples (DATAROOTDIR/doc/gantry)")
include(GNUInstallDirs)

set(GANTRY_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/gantry)
file(RELATIVE_PATH gantry_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/gantry)
set(GANTRY_PROGRAM_RUNPATH "\$ORIGIN/${gantry_bin_to_lib}")
# what a target gets unless it is installed with the functions below
set(CMAKE_INSTALL_RPATH "${GANTRY_PROGRAM_RUNPATH}")

# gantry_install_program(<target>): a program in bin/ that finds the libraries.
function(gantry_install_program target)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${GANTRY_PROGRAM_RUNPATH}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# gantry_install_library(<target>): a shared library in the private folder. It
# is loaded with dlopen, never linked against: no version links, no headers,
# and no execute bit.
function(gantry_install_library target)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "\$ORIGIN")
    install(TARGETS ${target} LIBRARY DESTINATION ${GANTRY_INSTALL_LIBDIR}
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
