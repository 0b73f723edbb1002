# The Debian package: cmake --build build --target package makes
# qrpview_<version>_amd64.deb from the install rules, for /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qrpview)
set(CPACK_PACKAGE_VENDOR "the qrpview developers")
set(CPACK_PACKAGE_CONTACT "${QRP_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description, below the summary (the project's description).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "qrpview shows saved report files (.qrp) one page at a time, prints all
pages or a range, saves them again and exports their text as plain text,
CSV or HTML. Each page of a report is an Enhanced Metafile.

The package also holds qrptool, which does the same from the command
line and makes the page thumbnails file managers show, and libqrpviewer,
through which other programs show and print reports.")

# Dependencies: the shared libraries the programs link, as dpkg-shlibdeps finds them.
# The fonts are those the font mapping puts in place of the fonts reports name; without
# them pages are still drawn, in whatever fonts fontconfig picks.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's image plugins, which no program links: TIFF bitmaps in EMF+ pictures are decoded by
# the one this package ships (GIF and JPEG ones come with Qt's GUI library).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-liberation2, fonts-arphic-uming, fonts-arphic-ukai, fonts-dejavu-core, fonts-tlwg-loma-ttf")
# The desktop search the package configures for report files (data/recoll).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "recoll")
# libqrpviewer's shlibs file and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/data/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
