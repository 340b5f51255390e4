# What a user unpacks and runs: bin/ with the program (on Windows with the DLLs it links), Resources/ beside
# bin/ so that ../Resources/ resolves from bin/ as it does from a build folder, README.txt, and in notices/
# the copyright and licence notices of the third-party libraries the program carries or links. On Linux the
# command demo beside them starts the program from any folder. CPack makes a zip (Windows) or a tarball and
# a Debian package (Linux) of it in dist/, each with its SHA-256 beside it.
#
# The rules install components, and each package places them (cmake/package/Generators.cmake): the
# archives keep them together in one folder; the Debian package puts the program with its data in
# /usr/lib/demo/, the command in /usr/bin/ and the documents in /usr/share/doc/demo/.
#   program    bin/ and Resources/
#   launcher   the command demo (Linux)
#   documents  README.txt and notices/
#   licences   notices/common-licenses/, the licence texts Debian keeps in /usr/share/common-licenses/
#              (archives only: on Debian they are there already)
#   debian     the changelog and the copyright file that Debian's layout asks for (Debian package only)

install(TARGETS demo RUNTIME DESTINATION bin COMPONENT program)
if(WIN32)
  install(FILES $<TARGET_RUNTIME_DLLS:demo> DESTINATION bin COMPONENT program)
else()
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/cmake/package/demo.sh DESTINATION . RENAME demo COMPONENT launcher)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Resources DESTINATION . COMPONENT program)

# ---- Notices -------------------------------------------------------------------------------------------

# demo_notice(LIBRARY DEBIAN_PACKAGE DEBIAN_SOURCE VCPKG_PORT) installs notices/LIBRARY.txt, taken from
# where the build found the library: on Linux the Debian package's copyright file; in the Windows
# cross-build the debian/copyright of the Debian source it was built from, which scripts/windows-build
# puts in WINDOWS_DEPS_NOTICES/SOURCE/; with vcpkg the port's copyright file. A notice that is not there
# fails the install (and so the package), never the build.
function(demo_notice library debian_package debian_source vcpkg_port)
  if(CMAKE_CROSSCOMPILING AND WINDOWS_DEPS_NOTICES)
    file(GLOB notice "${WINDOWS_DEPS_NOTICES}/${debian_source}/copyright")
  elseif(DEFINED VCPKG_INSTALLED_DIR)
    set(notice "${VCPKG_INSTALLED_DIR}/${VCPKG_TARGET_TRIPLET}/share/${vcpkg_port}/copyright")
  else()
    set(notice "/usr/share/doc/${debian_package}/copyright")
  endif()
  demo_notice_file(${library} "${notice}")
endfunction()

function(demo_notice_file library notice)
  list(LENGTH notice found)
  if(NOT found EQUAL 1 OR NOT EXISTS "${notice}")
    set_property(GLOBAL APPEND PROPERTY DEMO_NOTICES_MISSING "${library} (${notice})")
    return()
  endif()
  install(FILES "${notice}" DESTINATION notices RENAME ${library}.txt COMPONENT documents)
  set_property(GLOBAL APPEND PROPERTY DEMO_NOTICES ${library}.txt)
  set_property(GLOBAL APPEND PROPERTY DEMO_NOTICE_FILES "${notice}")
  # Debian's notices name the longer licence texts by their place on a Debian system.
  file(READ "${notice}" text)
  string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9+_-]+(\\.[0-9]+)?" named "${text}")
  set_property(GLOBAL APPEND PROPERTY DEMO_COMMON_LICENSES ${named})
endfunction()

#            library        Debian package    Debian source   vcpkg port
demo_notice(GLFW            libglfw3          glfw3           glfw3)
demo_notice(GLEW            libglew2.2        glew            glew)
demo_notice(GLM             libglm-dev        glm             glm)
demo_notice(assimp          libassimp5        assimp          assimp)
demo_notice(FreeImage       libfreeimage3     freeimage       freeimage)
demo_notice(libpng          libpng16-16       libpng1.6       libpng)
demo_notice(zlib            zlib1g            zlib            zlib)
demo_notice(libjpeg-turbo   libjpeg62-turbo   libjpeg-turbo   libjpeg-turbo)
demo_notice(Dear-ImGui      libimgui-dev      imgui           imgui)
if(NOT WIN32)
  # Debian's libimgui.a is built against Debian's shared stb; elsewhere ImGui's own copies are compiled in,
  # and its notice covers them.
  demo_notice(stb           libstb-dev        libstb          stb)
endif()
if(MINGW)
  # winpthreads and the start-up code of MinGW-w64's runtime are linked into every executable and DLL.
  demo_notice_file(MinGW-w64 /usr/share/doc/mingw-w64-x86-64-dev/copyright)
endif()

get_property(licenses GLOBAL PROPERTY DEMO_COMMON_LICENSES)
get_property(missing GLOBAL PROPERTY DEMO_NOTICES_MISSING)
list(REMOVE_DUPLICATES licenses)
foreach(text IN LISTS licenses)
  if(EXISTS "${text}")
    install(FILES "${text}" DESTINATION notices/common-licenses COMPONENT licences)
  else()
    list(APPEND missing "${text}")
  endif()
endforeach()
if(missing)
  string(REPLACE ";" ", " missing "${missing}")
  install(CODE "message(FATAL_ERROR \"licence notices not found: ${missing}\")" COMPONENT documents)
endif()

# ---- README.txt and the package ------------------------------------------------------------------------

if(WIN32)
  set(DEMO_PACKAGE_PLATFORM windows-x64)
  set(CPACK_GENERATOR ZIP)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/package/windows.txt DEMO_README_PLATFORM)
else()
  set(DEMO_PACKAGE_PLATFORM linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ DEB)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/package/linux.txt DEMO_README_PLATFORM)
endif()
string(CONFIGURE "${DEMO_README_PLATFORM}" DEMO_README_PLATFORM @ONLY)
get_property(notices GLOBAL PROPERTY DEMO_NOTICES)
string(REPLACE ";" "\n  " DEMO_NOTICE_LIST "${notices}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/README.txt.in ${PROJECT_BINARY_DIR}/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION . COMPONENT documents)
if(NOT WIN32)
  include(package/Debian)
endif()

set(CPACK_PACKAGE_NAME demo)
set(CPACK_PACKAGE_FILE_NAME demo-${PROJECT_VERSION}-${DEMO_PACKAGE_PLATFORM})
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package/Generators.cmake)
# Where each package puts each component: build folder, project, component, folder in the package.
foreach(component program launcher documents licences)
  list(APPEND CPACK_DEMO_TGZ_PROJECTS ${PROJECT_BINARY_DIR} ${PROJECT_NAME} ${component} /)
endforeach()
set(CPACK_DEMO_DEB_PROJECTS
  ${PROJECT_BINARY_DIR} ${PROJECT_NAME} program /usr/lib/demo
  ${PROJECT_BINARY_DIR} ${PROJECT_NAME} launcher /usr/bin
  ${PROJECT_BINARY_DIR} ${PROJECT_NAME} documents /usr/share/doc/demo
  ${PROJECT_BINARY_DIR} ${PROJECT_NAME} debian /usr/share/doc/demo)
include(CPack)
