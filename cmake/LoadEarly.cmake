# Start-up of the programs is mostly the dynamic loader binding symbols: it looks each one up
# along the list of loaded libraries, in load order, and libvips brings about a hundred. A few
# that come last in that list resolve thousands of their own symbols (the TLS, HDF5 and
# OpenEXR libraries above all), each lookup walking past nearly every other library first.
# Naming those that libvips really loads first in the programs' own list, so that they are
# searched first, makes the loader's work about a third smaller. Only the search order changes:
# no library is loaded that libvips would not load anyway.
#
# gallery_load_early(TARGET) does that for one program. It does nothing when
# GALLERY_LOAD_EARLY is off, and in sanitizer builds, whose runtime must come first.

option(GALLERY_LOAD_EARLY "Name the libraries that bind most symbols first, for a shorter start-up" ON)

set(GALLERY_EARLY_LIBRARIES libcrypto.so.3 libIex-3_1.so.30 libhdf5_serial.so.103
    libgnutls.so.30 libnettle.so.8 libOpenEXR-3_1.so.30 libunistring.so.2 libldap-2.5.so.0
    libLerc.so.4 libhogweed.so.6 libssl.so.3)
set(GALLERY_EARLY_LIBRARY_PATHS "")
if(GALLERY_LOAD_EARLY AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  find_library(GALLERY_VIPS_LIBRARY NAMES vips HINTS ${VIPS_LIBDIR} NO_DEFAULT_PATH)
  execute_process(COMMAND ldd ${GALLERY_VIPS_LIBRARY} OUTPUT_VARIABLE vips_dependencies
                  ERROR_QUIET RESULT_VARIABLE ldd_result)
  if(ldd_result EQUAL 0)
    foreach(library IN LISTS GALLERY_EARLY_LIBRARIES)
      string(REPLACE "." "\\." pattern "${library}")
      if(vips_dependencies MATCHES "${pattern} => ([^ ]+)")
        list(APPEND GALLERY_EARLY_LIBRARY_PATHS "${CMAKE_MATCH_1}")
      endif()
    endforeach()
  endif()
endif()

function(gallery_load_early target)
  if(GALLERY_EARLY_LIBRARY_PATHS)
    target_link_libraries(${target} PRIVATE "-Wl,--push-state,--no-as-needed"
                          ${GALLERY_EARLY_LIBRARY_PATHS} "-Wl,--pop-state")
  endif()
endfunction()
