# Installs the build folder BUILD_DIR into the fresh prefix PREFIX and checks that both programs,
# the presets and the man page arrive in the folders BINDIR, DATADIR and MANDIR of the build.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path
    "${BINDIR}/gallery"
    "${BINDIR}/gallerygen"
    "${DATADIR}/gallerygen/presets/plain.xml"
    "${DATADIR}/gallerygen/presets/framed.xml"
    "${DATADIR}/gallerygen/presets/shaded.xml"
    "${MANDIR}/man1/gallery.1")
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
