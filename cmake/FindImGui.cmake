# Dear ImGui with its GLFW and OpenGL 3 back ends, as the target ImGui::ImGui.
# - Debian: libimgui-dev's libimgui.a already holds both back ends. Debian builds it against its own stb,
#   whose library then supplies the font rasteriser and rectangle packer.
# - The MinGW cross-build: the same archive, back ends included, built from Debian's source by
#   scripts/windows-build with ImGui's bundled stb.
# - vcpkg: its imgui package, with the glfw-binding and opengl3-binding features (see vcpkg.json).
# Headers are included as <imgui.h> and <imgui_impl_glfw.h>, which all three provide that way.
find_package(imgui CONFIG QUIET)
if(imgui_FOUND)
  set(ImGui_FOUND TRUE)
  if(NOT TARGET ImGui::ImGui)
    add_library(ImGui::ImGui INTERFACE IMPORTED)
    target_link_libraries(ImGui::ImGui INTERFACE imgui::imgui)
  endif()
  return()
endif()

find_path(ImGui_INCLUDE_DIR imgui.h PATH_SUFFIXES imgui)
find_path(ImGui_BACKENDS_DIR imgui_impl_glfw.h PATH_SUFFIXES imgui/backends)
find_library(ImGui_LIBRARY imgui)
find_library(ImGui_STB_LIBRARY stb)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(ImGui REQUIRED_VARS ImGui_LIBRARY ImGui_INCLUDE_DIR ImGui_BACKENDS_DIR)

if(ImGui_FOUND AND NOT TARGET ImGui::ImGui)
  add_library(ImGui::ImGui UNKNOWN IMPORTED)
  # The GLFW back end calls GLFW, so a static GLFW goes after ImGui on the link line; the OpenGL 3 back end
  # loads OpenGL itself (dlopen on Linux).
  set_target_properties(ImGui::ImGui PROPERTIES
    IMPORTED_LOCATION "${ImGui_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${ImGui_INCLUDE_DIR};${ImGui_BACKENDS_DIR}"
    INTERFACE_LINK_LIBRARIES "$<$<BOOL:${ImGui_STB_LIBRARY}>:${ImGui_STB_LIBRARY}>;glfw;${CMAKE_DL_LIBS}")
endif()
mark_as_advanced(ImGui_INCLUDE_DIR ImGui_BACKENDS_DIR ImGui_LIBRARY ImGui_STB_LIBRARY)
