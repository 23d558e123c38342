# Start-up to first paint and peak memory of the program next to a minimal Qt window: the
# yardstick window and the probe that starts a program on an X display and times it. Run them
# with bench/startup.sh (or scripts/perf, which also runs every benchmark).
if(TARGET tiramon AND BUILD_TESTING)
  set(tiramon_perf_dir ${CMAKE_CURRENT_LIST_DIR}/../bench)

  add_executable(minimal_window ${tiramon_perf_dir}/minimal_window/minimal_window.cpp)
  target_compile_options(minimal_window PRIVATE ${tiramon_test_warnings})
  target_include_directories(minimal_window PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(minimal_window PRIVATE Qt6::Widgets)

  # The least the program's start must show (its About tab and a tray icon) in the minimal
  # window: the floor under the program's start-up ratio.
  add_executable(about_window ${tiramon_perf_dir}/minimal_window/about_window.cpp
                              ${tiramon_perf_dir}/minimal_window/about_floor.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/../desktop/jpeg_image.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/../assets/assets.qrc)
  target_compile_options(about_window PRIVATE ${tiramon_test_warnings})
  target_include_directories(about_window PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..
                                                  ${CMAKE_CURRENT_BINARY_DIR}/generated)
  target_link_libraries(about_window PRIVATE Qt6::Widgets JPEG::JPEG)

  # Key-to-repaint and scroll timings of the real window on the offscreen platform.
  find_package(Qt6 COMPONENTS Test)
  if(Qt6Test_FOUND)
    add_executable(gui_bench ${tiramon_perf_dir}/gui/gui_bench.cpp
                             ${tiramon_perf_dir}/../tools/quote_feed/quote_book.cpp)
    target_compile_options(gui_bench PRIVATE ${tiramon_test_warnings})
    target_link_libraries(gui_bench PRIVATE tiramon_desktop Qt6::Test)
  endif()

  find_package(X11)
  if(X11_FOUND)
    add_executable(startup_probe ${tiramon_perf_dir}/startup/startup_probe.cpp)
    set_target_properties(startup_probe PROPERTIES AUTOMOC OFF AUTORCC OFF)
    target_compile_options(startup_probe PRIVATE ${tiramon_test_warnings})
    # The damage extension's client library is loaded at run time when present, so the probe
    # builds without its headers and falls back to polling the window's pixels without it.
    target_link_libraries(startup_probe PRIVATE X11::X11 ${CMAKE_DL_LIBS})
  endif()
endif()
