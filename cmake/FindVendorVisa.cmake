# Finds a vendor VISA installation: the standard visa.h and a library named
# visa, visa64 or visa32. Set VISA_ROOT to its installation prefix if it is not
# on the default search paths.
find_path(VendorVisa_INCLUDE_DIR visa.h
          HINTS ${VISA_ROOT} $ENV{VISA_ROOT}
          PATH_SUFFIXES include Include include/ni-visa)
find_library(VendorVisa_LIBRARY NAMES visa visa64 visa32
             HINTS ${VISA_ROOT} $ENV{VISA_ROOT}
             PATH_SUFFIXES lib lib64 Lib_x64/msc Lib/msc lib/x64)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(VendorVisa DEFAULT_MSG VendorVisa_LIBRARY VendorVisa_INCLUDE_DIR)
if(VendorVisa_FOUND AND NOT TARGET VendorVisa::visa)
  add_library(VendorVisa::visa UNKNOWN IMPORTED)
  set_target_properties(VendorVisa::visa PROPERTIES
                        IMPORTED_LOCATION ${VendorVisa_LIBRARY}
                        INTERFACE_INCLUDE_DIRECTORIES ${VendorVisa_INCLUDE_DIR})
endif()
