# The packages, made with CPack from a build folder (scripts/package.sh makes
# them all):
#   Windows: a zip of the .exe alone. It is linked statically and makes its
#            folders and settings file beside itself at its first start.
#   Linux:   a .deb and a portable .tar.gz, both with the program in bin/, the
#            .desktop file and the icon at every size of the icon file. The
#            .deb adds share/tavro-frontend/packaged: with that marker the
#            program keeps each user's settings and folders in the user's
#            data folder (a program in /usr/bin cannot keep them beside
#            itself); the tarball has no marker and keeps everything beside
#            the program, wherever it is unpacked.
#
# Everything the packages hold is installed in component "program" (the
# marker in "packaged"), so no other install rule (GoogleTest's, in the
# Windows test build) can slip into a package.

set(CPACK_PACKAGE_VENDOR "Tavro FrontEnd")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Game library launcher for the Cemu emulator")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(TAVRO_PACKAGE_MAINTAINER "Tavro FrontEnd maintainers <maintainers@tavro-frontend.invalid>"
    CACHE STRING "The Maintainer field of the .deb")

if(WIN32)
  install(TARGETS Tavro_FrontEnd Tavro_ShellWatcher RUNTIME DESTINATION . COMPONENT program)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Tavro_FrontEnd)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(tavro_package_components program)
else()
  set(tavro_name tavro-frontend)
  install(TARGETS Tavro_FrontEnd RUNTIME DESTINATION bin COMPONENT program)
  # The .desktop file is named after the application ID: GNOME's portal
  # accepts an ID only when an installed .desktop file bears it, and the
  # Wayland window's app_id finds its entry (name, icon) the same way.
  install(FILES ${TAVRO_RESOURCES}/linux/org.example.TavroFrontEnd.desktop
          DESTINATION share/applications RENAME ${TAVRO_APP_ID}.desktop COMPONENT program)

  # The icon theme's PNGs, decoded from the program's own icon file.
  find_program(TAVRO_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  set(tavro_icon_sizes 16 24 32 48 64 72 96 128 256)
  set(tavro_icon_dir ${CMAKE_BINARY_DIR}/icons/hicolor)
  set(tavro_icon_pngs)
  foreach(size IN LISTS tavro_icon_sizes)
    list(APPEND tavro_icon_pngs ${tavro_icon_dir}/${size}x${size}/apps/${tavro_name}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${tavro_icon_pngs}
    COMMAND ${TAVRO_PYTHON3} ${TAVRO_RESOURCES}/linux/icon_pngs.py
            ${TAVRO_RESOURCES}/Tavro_FrontEnd.ico ${tavro_icon_dir} ${tavro_name}
    DEPENDS ${TAVRO_RESOURCES}/Tavro_FrontEnd.ico ${TAVRO_RESOURCES}/linux/icon_pngs.py
    COMMENT "Icon theme PNGs from Tavro_FrontEnd.ico"
    VERBATIM)
  add_custom_target(tavro_icon_theme ALL DEPENDS ${tavro_icon_pngs})
  foreach(size IN LISTS tavro_icon_sizes)
    install(FILES ${tavro_icon_dir}/${size}x${size}/apps/${tavro_name}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT program)
  endforeach()

  set(tavro_marker ${CMAKE_BINARY_DIR}/packaged)
  file(WRITE ${tavro_marker} "")
  install(FILES ${tavro_marker} DESTINATION share/${tavro_name} COMPONENT packaged)

  set(CPACK_GENERATOR DEB TGZ)
  # The Linux build keeps its debug information; the packages do not. (The
  # .exe is linked stripped, its file layout chosen for Wine: left as built.)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_NAME ${tavro_name})
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)  # the .deb; the tarball sets its own
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TAVRO_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The synopsis is the summary above; this is the text under it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Browse a game library on disk, see each game's cover and start it in the\n"
      "emulator, windowed or full screen. While a game runs, Esc ends the\n"
      "emulator and 9 and 8 hide and show the desktop and the panel.")
  list(JOIN CPACK_DEBIAN_PACKAGE_DESCRIPTION "" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
  # Depends from the libraries the program links (dpkg-shlibdeps); SDL is
  # loaded only when a controller is asked for, xdg-open only opens the
  # donation page and Qt's Wayland platform only gives a native window on a
  # Wayland desktop (XWayland serves without it): the program runs without
  # them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsdl2-2.0-0, xdg-utils, qt6-wayland")
  set(tavro_package_components program packaged)
endif()

# Per generator, which components go in: the tarball has no marker. CPack
# reads this file once per generator, with CPACK_GENERATOR set to it.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackPerGenerator.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
set(tavro_components "@tavro_package_components@")
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(tavro_components program)
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS)
foreach(component IN LISTS tavro_components)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "@CMAKE_BINARY_DIR@" "@PROJECT_NAME@" ${component} "/")
endforeach()
]] @ONLY)

include(CPack)
