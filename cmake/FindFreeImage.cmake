# FreeImage ships neither a CMake package nor a pkg-config file on Debian, so look for it by hand.
find_path(FreeImage_INCLUDE_DIR FreeImage.h)
find_library(FreeImage_LIBRARY NAMES freeimage FreeImage)

# On Windows the library found is a DLL's import library; the DLL itself, in the bin/ beside lib/, is
# what the program needs at run time and what goes beside it.
if(WIN32 AND FreeImage_LIBRARY)
  get_filename_component(_freeimage_lib_dir "${FreeImage_LIBRARY}" DIRECTORY)
  find_file(FreeImage_DLL NAMES FreeImage.dll freeimage.dll HINTS "${_freeimage_lib_dir}/../bin"
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(FreeImage REQUIRED_VARS FreeImage_LIBRARY FreeImage_INCLUDE_DIR)

if(FreeImage_FOUND AND NOT TARGET FreeImage::FreeImage)
  if(FreeImage_DLL)
    add_library(FreeImage::FreeImage SHARED IMPORTED)
    set_target_properties(FreeImage::FreeImage PROPERTIES
      IMPORTED_LOCATION "${FreeImage_DLL}"
      IMPORTED_IMPLIB "${FreeImage_LIBRARY}")
  else()
    add_library(FreeImage::FreeImage UNKNOWN IMPORTED)
    set_target_properties(FreeImage::FreeImage PROPERTIES IMPORTED_LOCATION "${FreeImage_LIBRARY}")
  endif()
  set_target_properties(FreeImage::FreeImage PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${FreeImage_INCLUDE_DIR}")
endif()
mark_as_advanced(FreeImage_INCLUDE_DIR FreeImage_LIBRARY FreeImage_DLL)
