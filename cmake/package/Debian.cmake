# The Debian package, made by CPack's DEB generator beside the tarball: its control fields, and the two
# files Debian's layout asks for in /usr/share/doc/demo/ (install component debian): the changelog,
# compressed, and the copyright file, not compressed.

set(DEMO_PACKAGE_MAINTAINER "Demo project <demo@demo.invalid>" CACHE STRING
  "The Debian package's maintainer, as Debian requires it: Name <address>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DEMO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is computed from the libraries the program links: dpkg-shlibdeps names the package of each.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D demo on OpenGL 4.5")
# CPack puts the summary first, as the synopsis line, and this after it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "An animated scene in a window or on the whole screen: a map, a house, a bridge
and three turning monkey models, water with reflection and refraction, a
starfield sky, a point-light shadow, particles, and a glowing orb and a falling
meteor that take turns carrying the light.
.
It needs an OpenGL 4.5 driver: the graphics card's, or Mesa's, which draws on
the CPU where there is no GPU. Start it with demo (full-screen; Escape quits)
or demo -d 1280 720 for a window.")

# The changelog, in Debian's format; its newest entry must be the version being packaged.
set(changelog ${PROJECT_SOURCE_DIR}/cmake/package/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^demo \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/package/changelog begins with '${newest}', not an entry for ${PROJECT_VERSION}")
endif()
find_program(GZIP_EXECUTABLE gzip REQUIRED)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
# Compressed as Debian's tools do it: the most, and without the file's name and time.
execute_process(COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${changelog}
  OUTPUT_FILE ${PROJECT_BINARY_DIR}/debian/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

# The copyright file: the project's own part, then the notice of each library the program links, as
# notices/ holds them. Debian keeps the licence texts they name in /usr/share/common-licenses/.
get_property(notice_names GLOBAL PROPERTY DEMO_NOTICES)
get_property(notice_files GLOBAL PROPERTY DEMO_NOTICE_FILES)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${notice_files})
set(rule "------------------------------------------------------------------------------")
set(copyright "Demo ${PROJECT_VERSION}

The program, its shaders, and the images and models under /usr/lib/demo/Resources/
(made by the project's own generator) are the Demo project's own work.
Copyright: the Demo project. The project's repository states no licence for
this part, and none is claimed here.

The program links the third-party libraries below. Their copyright and licence
notices follow, as Debian ships them in its own packages; the licence texts
they name as /usr/share/common-licenses/NAME are there on every Debian system.
The same notices are in /usr/share/doc/demo/notices/, one file per library.
")
foreach(name file IN ZIP_LISTS notice_names notice_files)
  string(REGEX REPLACE "\\.txt$" "" library "${name}")
  file(READ "${file}" text)
  string(APPEND copyright "\n${rule}\n${library}\n${rule}\n\n${text}")
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/debian/copyright "${copyright}")

install(FILES ${PROJECT_BINARY_DIR}/debian/changelog.gz ${PROJECT_BINARY_DIR}/debian/copyright
  DESTINATION . COMPONENT debian)
