# `make package`: a Debian package of what `make install` puts in place,
# under /usr. The libraries the program links are found by dpkg-shlibdeps;
# the programs it runs are listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flingdial)
set(CPACK_PACKAGE_VENDOR Flingdial)
set(CPACK_PACKAGE_CONTACT "Flingdial developers <developers@flingdial.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "File conversions one gesture away")
set(CPACK_PACKAGE_DESCRIPTION "While you drag files, press a key: a wheel opens under \
the pointer with the conversions, tools and sharing that fit them. Everything runs on \
your computer.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "ffmpeg, libarchive-tools, zip, bzip2, xz-utils, libqt6svg6, fonts-noto-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "imagemagick, ghostscript, libreoffice-writer | libreoffice-writer-nogui, libreoffice-calc | libreoffice-calc-nogui, libreoffice-impress | libreoffice-impress-nogui, qt6-image-formats-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "kdeconnect")
include(CPack)
