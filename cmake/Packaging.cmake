# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are what
# dpkg-shlibdeps finds the program linked against (the engine's helper process comes
# with them: Debian's symbols file of the engine library names its package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbrow)
set(CPACK_PACKAGE_VERSION ${QUILLBROW_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvo")
set(CPACK_PACKAGE_CONTACT "Quillbrow developers <dev@quillbrow.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multiple-document web browser")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillbrow shows every web page in a window of its own inside one main window,\n\
with a Windows Bar of tabs, commands over all windows at once, an AutoClose\n\
list that closes unwanted pop-up windows unseen, and a single running copy.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked but loaded: Qt's SVG icon engine draws the program's icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_PROVIDES "www-browser")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
