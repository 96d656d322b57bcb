# `make package`: a Debian package of the install rules, parlora_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parlora)
set(CPACK_PACKAGE_VENDOR "The Parlora developers")
set(CPACK_PACKAGE_CONTACT "The Parlora developers <maintainers@parlora-speech.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.parlora-speech.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop text-to-speech program")
set(CPACK_PACKAGE_DESCRIPTION
  "Parlora reads text aloud with the eSpeak NG speech synthesiser, highlights\n"
  "each word as it is spoken and shows a face whose mouth follows the voice.\n"
  "It can also speak text into a wave file. Text comes from a text editor,\n"
  "four Quick Text boxes or nine programmed phrase buttons.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# The package installs where this build was configured to install, so the paths compiled into
# the program (its bin folder, which keeps settings out) are the package's own.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries' packages come from dpkg-shlibdeps. By hand only what is loaded at run time,
# where no linker sees it: the synthesiser's voice data (libespeak-ng1 pulls it in today, but the
# helper cannot speak without it). Qt's xcb platform plugin ships in libqt6gui6 itself, which the
# libraries already bring.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng-data")
include(CPack)
