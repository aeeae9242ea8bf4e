# Installation and the Debian package: `scripts/package`, or `cpack -G DEB` in a build folder
# after building the target `package_files`.

include(GNUInstallDirs)

set(CP_APP_ID org.courseplayer.CoursePlayer)
set(CP_APP_ICON ${PROJECT_SOURCE_DIR}/src/resources/icons/courseplayer.svg)
set(CP_ICON_SIZES 16 22 24 32 48 64 128 256)
set(CP_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)

# Installing must not build every test and benchmark first; scripts/package builds what the
# package holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The installed player finds its demo library from its own folder, so the package works at any
# prefix (and unpacked into a scratch folder).
file(RELATIVE_PATH CP_DEMO_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/courseplayer/demo)
target_compile_definitions(catalogue PRIVATE CP_DEMO_FROM_BIN="${CP_DEMO_FROM_BIN}")

# PNG icons drawn from the SVG one at build time.
set(cp_icon_dir ${PROJECT_BINARY_DIR}/icons/hicolor)
set(cp_icon_pngs)
foreach(size IN LISTS CP_ICON_SIZES)
    list(APPEND cp_icon_pngs ${cp_icon_dir}/${size}x${size}/apps/courseplayer.png)
endforeach()
add_custom_command(OUTPUT ${cp_icon_pngs}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:iconpng> ${CP_APP_ICON} ${cp_icon_dir} courseplayer ${CP_ICON_SIZES}
    DEPENDS iconpng ${CP_APP_ICON}
    COMMENT "Drawing the application icon at the hicolor sizes")

# Debian wants manual pages and the changelog compressed, without a time stamp.
set(cp_gzipped)
foreach(source IN ITEMS courseplayer.1 coursetool.1 changelog)
    set(output ${PROJECT_BINARY_DIR}/packaging/${source}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND gzip -9 -n -c ${CP_PACKAGING}/${source} > ${output}
        DEPENDS ${CP_PACKAGING}/${source})
    list(APPEND cp_gzipped ${output})
endforeach()

add_custom_target(package_files ALL DEPENDS ${cp_icon_pngs} ${cp_gzipped})
add_dependencies(package_files courseplayer coursetool)

install(TARGETS courseplayer coursetool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/content/ DESTINATION ${CMAKE_INSTALL_DATADIR}/courseplayer/demo)
# The web components staged beside the built player (absent when npm's packages were not there).
install(DIRECTORY ${PROJECT_BINARY_DIR}/bin/components/ DESTINATION ${CMAKE_INSTALL_DATADIR}/courseplayer/components
        OPTIONAL)
install(FILES ${CP_PACKAGING}/${CP_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CP_PACKAGING}/${CP_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CP_PACKAGING}/courseplayer-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME courseplayer.xml)
install(FILES ${CP_APP_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${cp_icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_BINARY_DIR}/packaging/courseplayer.1.gz ${PROJECT_BINARY_DIR}/packaging/coursetool.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CP_PACKAGING}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CP_PACKAGING}/courseplayer.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME courseplayer)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME courseplayer)
set(CPACK_PACKAGE_VENDOR "Course Player developers")
set(CPACK_PACKAGE_CONTACT "Course Player developers <courseplayer@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player of training courses from school course discs")
# The extended description as Debian shows it: lines under 80 characters, "." between paragraphs.
set(CPACK_PACKAGE_DESCRIPTION
    "Shows the training courses of a course disc, a USB stick or a copied
folder: a catalogue of courses by subject, a course viewer with a tree of
items beside the page of the selected item, hint and test windows, tasks
that run inside pages, and collections of items that can be saved and
shown as one page. Pages are shown by an embedded Chromium browser.
.
The package holds the player, the command-line companion coursetool,
which prints what the player reads, and a small demo library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no linked library names: the fonts of the original look.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
# Russian buttons in the stock dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
