# make install: the program folder lib/tevu (tevu, data.Mdb), bin/tevu, the desktop entry, icons and AppStream file.
set(TEVU_SCREENSHOT_URL "https://tevu.org/screenshot.png"
    CACHE STRING "Where resources/desktop/screenshot.png is published; named in the AppStream file")

install(TARGETS tevu RUNTIME DESTINATION lib/tevu)
foreach(size 48 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/images/tevu-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tevu.png)
endforeach()
set(TEVU_SCREENSHOT ${TEVU_SCREENSHOT_URL})
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/tevu.metainfo.xml ${CMAKE_BINARY_DIR}/tevu.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/tevu.metainfo.xml DESTINATION share/metainfo)

# The desktop entry template keeps its own placeholder for the install step to fill.
set(TEVU_BIN "@TEVU_BIN@")
set(TEVU_MAKE_DATA ${CMAKE_BINARY_DIR}/tools/make-data/make-data)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install-steps.cmake.in ${CMAKE_BINARY_DIR}/install-steps.cmake @ONLY)
install(SCRIPT ${CMAKE_BINARY_DIR}/install-steps.cmake)

# Each prefix keeps the list of what its own install put there, so that an uninstall of that prefix removes exactly
# that, whatever was installed elsewhere since.
install(CODE [[
    set(_tevu_manifest "${CMAKE_INSTALL_PREFIX}/lib/tevu/install-manifest.txt")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_tevu_manifest}")
    list(REMOVE_DUPLICATES CMAKE_INSTALL_MANIFEST_FILES)
    string(REPLACE ";" "\n" _tevu_files "${CMAKE_INSTALL_MANIFEST_FILES}")
    file(WRITE "$ENV{DESTDIR}${_tevu_manifest}" "${_tevu_files}\n")
]])
