# Install rules shared by every product. Each product joins with one line in
# its own CMakeLists.txt, naming its package component:
#   cmdvorn_install_program(<target> <component>)      tool, beside its parameter file
#   cmdvorn_install_plugin(<target> <component>)       library loaded from beside the tools
#   cmdvorn_install_host_library(<target> <component> <header> <pkg-config name> <summary>)
#   cmdvorn_install_host_module(<target> <component>)   library a host library loads from beside itself
#
# The tools read "cmdvorn.prm" and find the concentrator driver in their own
# directory, so they live together in a private directory with links on the
# PATH; the parameter file there is a link to the configuration file in /etc.
include(GNUInstallDirs)

set(CMDVORN_TOOL_DIR lib/cmdvorn CACHE STRING "Directory of the tools, relative to the prefix")
set(CMDVORN_CONFIG_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/cmdvorn CACHE STRING "Directory of the installed parameter file")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMDVORN_LINK_DIR ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${CMDVORN_LINK_DIR})

# A link made at configure time; installing it copies the link itself.
function(cmdvorn_make_link name target)
  file(CREATE_LINK ${target} ${CMDVORN_LINK_DIR}/${name} SYMBOLIC)
endfunction()

function(cmdvorn_install_program target component)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMDVORN_TOOL_DIR} COMPONENT ${component})
  file(RELATIVE_PATH up ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CMDVORN_TOOL_DIR})
  cmdvorn_make_link(${target} ${up}/${target})
  install(FILES ${CMDVORN_LINK_DIR}/${target} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
endfunction()

function(cmdvorn_install_plugin target component)
  install(TARGETS ${target} LIBRARY DESTINATION ${CMDVORN_TOOL_DIR} COMPONENT ${component}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

function(cmdvorn_install_host_library target component header pcname summary)
  install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${component}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cmdvorn COMPONENT ${component})
  set(PC_NAME ${pcname})
  set(PC_SUMMARY ${summary})
  set(PC_LIBRARY ${target})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/hostlibrary.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${pcname}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${pcname}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()

# A library that a host library loads from beside itself.
function(cmdvorn_install_host_module target component)
  install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${component}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
