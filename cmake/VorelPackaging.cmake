# Installing and the Debian package (scripts/package): the three programs, the model
# templates in the data folder where the installed programs look for them, a desktop
# entry and an icon so that the program is in the desktop's menu, and the README.
# The validation schema needs no file: it is built into the programs.
include(GNUInstallDirs)

set(VOREL_PACKAGE_NAME ubrix-vorel)

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
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vorel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
          RENAME ${VOREL_PACKAGE_NAME}.png)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VOREL_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VOREL_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Quenlow")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Commissioning and control tool for Ubrix network gateways")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds Ubrix gateways and the lighting, motor and keypad devices on the KV bus behind them, reads and changes their settings, gives bus devices their addresses, and watches and logs the command traffic. Includes vorel-cli for scripts and vorel-sim, a simulated site.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quenlow")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link (Qt, pugixml) come from dpkg-shlibdeps; Qt's platform
# plugins are loaded at run time, so the window needs them named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
