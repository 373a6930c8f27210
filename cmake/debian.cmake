# The Debian package, radire_VERSION_amd64.deb: `cpack -G DEB` in a build configured with -DRADIRE_DEBIAN=ON
# and -DCMAKE_INSTALL_PREFIX=/usr (scripts/deb does both). Its dependencies on libraries are read from the
# program by dpkg-shlibdeps; the fonts and the soundfont it opens by name are added here.
if(RADIRE_DEBIAN)
  set(debian ${CMAKE_BINARY_DIR}/debian)
  # Debian compresses manual pages and changelogs: gzip -9n, without a name or a time inside.
  add_custom_command(OUTPUT ${debian}/radire.6.gz ${debian}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${debian}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/assets/desktop/radire.6 > ${debian}/radire.6.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${debian}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/desktop/radire.6 ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
    VERBATIM)
  add_custom_target(radire_debian_files ALL DEPENDS ${debian}/radire.6.gz ${debian}/changelog.gz)
  install(FILES ${debian}/changelog.gz ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION share/doc/radire)
endif()

set(CPACK_PACKAGE_NAME radire)
set(CPACK_PACKAGE_VENDOR "The Radire developers")
set(CPACK_PACKAGE_CONTACT "The Radire developers <radire@radire.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-dimensional shooting game in three stages")
set(CPACK_PACKAGE_DESCRIPTION "One ship, one life, three stages that each play their own way, and a boss at
the end of each. The best score and the highest stage reached are kept from
run to run; every game played is recorded and can be watched again.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho, timgm6mb-soundfont | fluid-soundfont-gm")
include(CPack)
