# Installing and the Debian package (scripts/package): the three programs with their
# manual pages and shell completion, the model templates in the data folder where the
# installed programs look for them, a desktop entry, an icon and AppStream data so that
# the program is in the desktop's menu and software centre, and the documentation Debian
# asks for (copyright, changelog). The validation schema needs no file: it is built into
# the programs.
include(GNUInstallDirs)

set(VOREL_PACKAGE_NAME ubrix-vorel)
set(VOREL_PACKAGE_CONTACT "Quenlow <support@quenlow.example>")
set(VOREL_METAINFO_ID example.quenlow.vorel)
set(VOREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${VOREL_PACKAGE_NAME})
set(VOREL_PACKAGE_BUILD_DIR ${CMAKE_BINARY_DIR}/package)

foreach(program vorel vorel-cli vorel-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

file(GLOB VOREL_INSTALLED_TEMPLATES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/templates/*.xml)
install(FILES ${VOREL_INSTALLED_TEMPLATES}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/${VOREL_PACKAGE_NAME}/templates)

if(TARGET vorel)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VOREL_PACKAGE_NAME}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VOREL_METAINFO_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vorel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
          RENAME ${VOREL_PACKAGE_NAME}.png)
endif()

# Shell completion: the scripts read the programs' own --help when asked, so they know
# every command and option the installed programs know.
foreach(program vorel-cli vorel-sim)
  if(TARGET ${program})
    install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/${program}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  endif()
endforeach()

# Manual pages: made from each program's own --help and --version when it is built, so a
# page never tells of another option than the program has. A sanitizer build has none:
# its programs are not what gets installed.
find_program(VOREL_HELP2MAN help2man)
if(VOREL_HELP2MAN AND NOT VOREL_SANITIZE)
  set(pages)
  foreach(program vorel vorel-cli vorel-sim)
    if(TARGET ${program})
      set(page ${VOREL_PACKAGE_BUILD_DIR}/${program}.1)
      # vorel-sim has no --version: its page is told the build's.
      set(version "")
      if(program STREQUAL "vorel-sim")
        set(version ${PROJECT_VERSION})
      endif()
      add_custom_command(
        OUTPUT ${page}.gz
        COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/make-man-page.sh ${VOREL_HELP2MAN}
                $<TARGET_FILE:${program}> ${PROJECT_SOURCE_DIR}/resources/man/${program}.h2m
                ${page} ${version}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${page} -DOUTPUT=${page}.gz
                -P ${PROJECT_SOURCE_DIR}/cmake/VorelGzip.cmake
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/resources/man/${program}.h2m
                ${PROJECT_SOURCE_DIR}/cmake/make-man-page.sh
        COMMENT "Manual page of ${program}"
        VERBATIM)
      list(APPEND pages ${page}.gz)
      install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
  add_custom_target(vorel_manual_pages ALL DEPENDS ${pages})
elseif(NOT VOREL_SANITIZE)
  message(STATUS "help2man not found: no manual pages (scripts/setup installs it)")
endif()

# Debian's documentation of the package: the machine-readable copyright file, with the
# licence as LICENSE states it, and the changelog, compressed.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n" "\n " VOREL_LICENSE_TEXT " ${licence}")
configure_file(${PROJECT_SOURCE_DIR}/resources/package/copyright.in
               ${VOREL_PACKAGE_BUILD_DIR}/copyright @ONLY)
set(changelog ${PROJECT_SOURCE_DIR}/resources/package/changelog)
add_custom_command(
  OUTPUT ${VOREL_PACKAGE_BUILD_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DINPUT=${changelog} -DOUTPUT=${VOREL_PACKAGE_BUILD_DIR}/changelog.gz
          -P ${PROJECT_SOURCE_DIR}/cmake/VorelGzip.cmake
  DEPENDS ${changelog}
  COMMENT "Debian changelog"
  VERBATIM)
add_custom_target(vorel_package_changelog ALL DEPENDS ${VOREL_PACKAGE_BUILD_DIR}/changelog.gz)
install(FILES ${VOREL_PACKAGE_BUILD_DIR}/copyright ${VOREL_PACKAGE_BUILD_DIR}/changelog.gz
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${VOREL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VOREL_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Quenlow")
set(CPACK_PACKAGE_CONTACT ${VOREL_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Debian's shape: a synopsis under 80 characters, then lines of at most 80.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "commissioning and control tool for Ubrix network gateways")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Ubrix Vorel finds Ubrix gateways and the lighting, motor and keypad devices"
  "on the KV bus behind them, reads and changes their settings, gives bus"
  "devices their addresses, builds and uploads projects from per-model"
  "templates, drives lights and motors from virtual keypads, and watches and"
  "logs the command traffic."
  ""
  "The package also holds vorel-cli, for the same work from a terminal or a"
  "script, and vorel-sim, a simulated site to try both without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VOREL_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link (Qt, pugixml) come from dpkg-shlibdeps; Qt's platform
# plugins are loaded at run time, so the window needs them named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
