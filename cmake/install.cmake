# Installation of the desktop program (the binary, its menu entry and its icons) and the Debian
# package built from it with CPack. Included by the root CMakeLists.txt; does nothing without the
# desktop front end.
if(TARGET tiramon)
  include(GNUInstallDirs)

  # The icon is drawn in code, so a small tool renders it into the sizes of the hicolor theme.
  set(tiramon_icon_sizes 16 22 24 32 48 64 128 256)
  set(tiramon_icon_theme ${CMAKE_CURRENT_BINARY_DIR}/icons/hicolor)
  add_executable(tiramon_icons_export
                 ${CMAKE_CURRENT_SOURCE_DIR}/tools/icons/export_icons.cpp
                 ${CMAKE_CURRENT_SOURCE_DIR}/desktop/artwork.cpp
                 ${CMAKE_CURRENT_SOURCE_DIR}/desktop/jpeg_image.cpp)
  target_include_directories(tiramon_icons_export PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(tiramon_icons_export PRIVATE ${tiramon_warnings})
  target_link_libraries(tiramon_icons_export PRIVATE Qt6::Gui JPEG::JPEG)

  set(tiramon_icon_files "")
  foreach(size IN LISTS tiramon_icon_sizes)
    list(APPEND tiramon_icon_files ${tiramon_icon_theme}/${size}x${size}/apps/tiramon.png)
  endforeach()
  # No display at build time; and in a sanitizer build the leak check would fail the build on
  # what the platform libraries keep until exit.
  add_custom_command(
    OUTPUT ${tiramon_icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=default.warning=false
            ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:tiramon_icons_export> ${tiramon_icon_theme} ${tiramon_icon_sizes}
    DEPENDS tiramon_icons_export
    COMMENT "Drawing the program icon for the icon theme"
    VERBATIM)
  add_custom_target(tiramon_icons ALL DEPENDS ${tiramon_icon_files})

  install(TARGETS tiramon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The rates shown when neither bank nor a cache has any (quotes/official_refresh.h finds them).
  install(FILES ${tiramon_bundled_rates} DESTINATION ${CMAKE_INSTALL_DATADIR}/tiramon)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/tiramon.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size IN LISTS tiramon_icon_sizes)
    install(FILES ${tiramon_icon_theme}/${size}x${size}/apps/tiramon.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  # The demo feed goes along, so a program built for it also runs where no build tree is.
  if(TARGET quote_feed)
    install(PROGRAMS $<TARGET_FILE:quote_feed> DESTINATION ${CMAKE_INSTALL_BINDIR}
            RENAME tiramon-quote-feed)
    # A renamed file is no installed target, so `cmake --install --strip` and CPack's stripping
    # would pass it by; this strips it under the same switch.
    install(CODE "set(tiramon_strip \"${CMAKE_STRIP}\")
                  set(tiramon_feed_dir \"${CMAKE_INSTALL_BINDIR}\")")
    install(CODE [[
      if(CMAKE_INSTALL_DO_STRIP AND tiramon_strip)
        execute_process(COMMAND "${tiramon_strip}"
                        "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${tiramon_feed_dir}/tiramon-quote-feed"
                        RESULT_VARIABLE tiramon_strip_result)
        if(NOT tiramon_strip_result EQUAL 0)
          message(FATAL_ERROR "could not strip tiramon-quote-feed")
        endif()
      endif()
    ]])
  endif()

  # Software centres list a program by its AppStream component, whose id is a reversed domain.
  set(TIRAMON_APP_ID "org.example.tiramon" CACHE STRING "AppStream component id (reversed domain)")
  set(TIRAMON_PACKAGE_MAINTAINER "${TIRAMON_AUTHOR} <tiramon@${TIRAMON_BLOG_HOST}>"
      CACHE STRING "Maintainer of the Debian package: name <address>")
  # Software centres flag a homepage on plain http, so only a secure address is named there.
  set(TIRAMON_METAINFO_HOMEPAGE "")
  if(TIRAMON_BLOG_URL MATCHES "^https://")
    set(TIRAMON_METAINFO_HOMEPAGE "  <url type=\"homepage\">${TIRAMON_BLOG_URL}</url>\n")
  endif()
  set(tiramon_package_dir ${CMAKE_CURRENT_BINARY_DIR}/package-files)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/tiramon.metainfo.xml.in
                 ${tiramon_package_dir}/${TIRAMON_APP_ID}.metainfo.xml @ONLY)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright.in
                 ${tiramon_package_dir}/copyright @ONLY)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog.in
                 ${tiramon_package_dir}/changelog @ONLY)
  install(FILES ${tiramon_package_dir}/${TIRAMON_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${tiramon_package_dir}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tiramon)

  # Manual pages and the changelog go in compressed, without a time stamp in the gzip header,
  # so two builds of one source give the same package.
  find_program(TIRAMON_GZIP gzip REQUIRED)
  set(tiramon_gz_files "")
  foreach(page tiramon.1 tiramon-quote-feed.1)
    add_custom_command(
      OUTPUT ${tiramon_package_dir}/${page}.gz
      COMMAND ${TIRAMON_GZIP} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${page}
              > ${tiramon_package_dir}/${page}.gz
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${page}
      VERBATIM)
    list(APPEND tiramon_gz_files ${tiramon_package_dir}/${page}.gz)
    install(FILES ${tiramon_package_dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_command(
    OUTPUT ${tiramon_package_dir}/changelog.gz
    COMMAND ${TIRAMON_GZIP} -9n -c ${tiramon_package_dir}/changelog
            > ${tiramon_package_dir}/changelog.gz
    DEPENDS ${tiramon_package_dir}/changelog
    VERBATIM)
  list(APPEND tiramon_gz_files ${tiramon_package_dir}/changelog.gz)
  install(FILES ${tiramon_package_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tiramon)
  add_custom_target(tiramon_package_files ALL DEPENDS ${tiramon_gz_files})

  # The package belongs to the project that is built, not to one that pulls Tiramon in.
  if(PROJECT_IS_TOP_LEVEL)
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGE_NAME tiramon)
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
    set(CPACK_PACKAGE_VENDOR "${TIRAMON_AUTHOR}")
    set(CPACK_PACKAGE_CONTACT "${TIRAMON_PACKAGE_MAINTAINER}")
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
        "forex trader's calculator: quotes, lot sizing and deposit simulations")
    # Debian wants the long description within 80 columns, with its leading blank.
    set(CPACK_PACKAGE_DESCRIPTION
        "Tiramon is a desktop calculator for retail forex traders with a
Russian-language interface. It shows a quote table of the major currency
pairs, from the central banks' official daily rates or a quotes page,
with where each price came from and how old it is, the margin of a lot
at several leverages and the value of a pip; it sizes one position
(margin, point value, lot from a percentage of the deposit, stop-loss
and take-profit levels, risk/profit ratio) with the broker's account
currency, commission, lot step and stop-out, and copies the figures to
the clipboard; and it simulates a deposit over a series of winning,
losing or random trades.

The program keeps running in the notification area when its window is
closed. It keeps its quote caches and status file in the user's data
folder, ~/.local/share/tiramon. The package also holds
tiramon-quote-feed, a demo source of quotes on the loopback address for
a program built to read it.")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TIRAMON_PACKAGE_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TIRAMON_BLOG_URL}")
    # The libraries the binary links come from dpkg-shlibdeps; the browser for the About tab's
    # links is opened through xdg-open.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # libcurl is loaded at run time for every https download, and the official rates, the
    # package's default source, are on https: without it an installed program has no prices.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
    # Installed targets go in without symbols; the renamed demo feed is stripped by its own
    # install step above, which follows the same switch.
    set(CPACK_STRIP_FILES ON)
    include(CPack)
  endif()
endif()
