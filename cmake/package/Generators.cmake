# Read by CPack once for each package it makes (CPACK_PROJECT_CONFIG_FILE), with CPACK_GENERATOR naming
# it: which install components it holds and where (see cmake/Packaging.cmake). The zip takes them all.
if(DEFINED CPACK_DEMO_${CPACK_GENERATOR}_PROJECTS)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_DEMO_${CPACK_GENERATOR}_PROJECTS}")
endif()
if(CPACK_GENERATOR STREQUAL "DEB")
  # The components' folders above are absolute already.
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
endif()
