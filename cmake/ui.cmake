# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program: the three windows over the core, and their tests.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
qt_standard_project_setup()

file(GLOB HELIXPLOT_UI_SOURCES CONFIGURE_DEPENDS src/ui/*.cpp src/ui/*.h src/ui/population/*.cpp src/ui/population/*.h
  src/ui/editor/*.cpp src/ui/editor/*.h)
add_library(helixplot_ui STATIC ${HELIXPLOT_UI_SOURCES})
target_include_directories(helixplot_ui PUBLIC src)
# The population window exports what helixplot-cli census and report write.
target_link_libraries(helixplot_ui PUBLIC helixplot_core helixplot_writers Qt6::Widgets)
target_compile_definitions(helixplot_ui PRIVATE QT_NO_CAST_FROM_ASCII)
target_compile_definitions(helixplot_ui PUBLIC QT_NO_KEYWORDS)

# The desktop program, and for scripts/bench-desktop.sh the same program with
# its timing probe (HELIXPLOT_TRACE_TIMING), which the product does not carry.
function(helixplot_desktop_program target)
  qt_add_executable(${target} WIN32 src/app/main.cpp ${ARGN})
  target_link_libraries(${target} PRIVATE helixplot_ui)
  target_compile_definitions(${target} PRIVATE HELIXPLOT_APP_ID="${HELIXPLOT_APP_ID}")
  # The window icon when no icon theme has it (a build run in place, Windows).
  qt_add_resources(${target} icons PREFIX /icons BASE packaging/icons
    FILES packaging/icons/helixplot-16.png packaging/icons/helixplot-32.png packaging/icons/helixplot-48.png
          packaging/icons/helixplot-64.png packaging/icons/helixplot-128.png packaging/icons/helixplot-256.png)
endfunction()

helixplot_desktop_program(helixplot)
if(WIN32)
  enable_language(RC)
  target_sources(helixplot PRIVATE src/app/helixplot.rc)
endif()
if(HELIXPLOT_BENCHMARKS AND NOT WIN32)
  helixplot_desktop_program(helixplot-timed bench/desktop/timingProbe.cpp)
endif()

# Renders the windows on the bundled samples (and a population bred from
# them) into docs/screenshots.
if(TARGET helixplot_samples)
  qt_add_executable(helixplot-screenshots tools/screenshots.cpp)
  target_link_libraries(helixplot-screenshots PRIVATE helixplot_ui helixplot_samples)
  target_compile_definitions(helixplot-screenshots PRIVATE HELIXPLOT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()

# The desktop program's own benchmarks, on the offscreen platform.
if(HELIXPLOT_BENCHMARKS AND TARGET helixplot-cli)
  file(GLOB HELIXPLOT_UI_BENCH_SOURCES CONFIGURE_DEPENDS bench/ui/*.cpp)
  foreach(source ${HELIXPLOT_UI_BENCH_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    qt_add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE helixplot_ui helixplot_samples Qt6::Test benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE HELIXPLOT_CLI="$<TARGET_FILE:helixplot-cli>")
  endforeach()
endif()

if(HELIXPLOT_TESTS)
  file(GLOB HELIXPLOT_UI_TEST_SOURCES CONFIGURE_DEPENDS tests/ui/*.cpp)
  foreach(source ${HELIXPLOT_UI_TEST_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    qt_add_executable(ui_${name} ${source})
    target_link_libraries(ui_${name} PRIVATE helixplot_ui helixplot_samples Qt6::Test)
    target_compile_definitions(ui_${name} PRIVATE HELIXPLOT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(TARGET helixplot-cli)
      add_dependencies(ui_${name} helixplot-cli)
      target_compile_definitions(ui_${name} PRIVATE HELIXPLOT_CLI="$<TARGET_FILE:helixplot-cli>")
    endif()
    add_test(NAME ui.${name} COMMAND ui_${name})
    set_tests_properties(ui.${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endforeach()
  # The windows on a small screen (the test's own, 1024x768), a common
  # laptop's and a large one.
  foreach(screen 1280x900 2560x1440)
    add_test(NAME ui.screenFitTest.${screen} COMMAND ui_screenFitTest)
    set_tests_properties(ui.screenFitTest.${screen} PROPERTIES TIMEOUT 120 ENVIRONMENT "HELIXPLOT_TEST_SCREEN=${screen}")
  endforeach()

  # How the progress dialog paces its painting depends on the window system,
  # and the change view opens on Ctrl+D, which needs an active window: both
  # tests also run on a real X server. Under the sanitizers, the leaks that
  # the system libraries of a real X session bring are suppressed.
  find_program(XVFB Xvfb)
  find_program(XDOTOOL xdotool)
  if(XVFB AND XDOTOOL)
    set(HELIXPLOT_ON_XVFB ${CMAKE_SOURCE_DIR}/tests/display/on-xvfb.sh)
    set(HELIXPLOT_LSAN "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
    add_test(NAME ui.progressPacingTest.xvfb COMMAND ${HELIXPLOT_ON_XVFB} $<TARGET_FILE:ui_progressPacingTest>)
    set_tests_properties(ui.progressPacingTest.xvfb PROPERTIES TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;${HELIXPLOT_LSAN}")
    add_test(NAME ui.geneChangeViewTest.xvfb
      COMMAND ${HELIXPLOT_ON_XVFB} $<TARGET_FILE:ui_geneChangeViewTest> -platform xcb)
    set_tests_properties(ui.geneChangeViewTest.xvfb PROPERTIES TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;${HELIXPLOT_LSAN}")
    # The gene box takes Enter and the variant list clicks, as a window
    # with the focus does.
    add_test(NAME ui.populationWindowTest.xvfb
      COMMAND ${HELIXPLOT_ON_XVFB} $<TARGET_FILE:ui_populationWindowTest> -platform xcb)
    set_tests_properties(ui.populationWindowTest.xvfb PROPERTIES TIMEOUT 180
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;${HELIXPLOT_LSAN}")
    # Drops that end the selection dialog's modal loop, and the layout at a
    # larger desktop font, on a real X server too.
    add_test(NAME ui.desktopFeaturesTest.xvfb
      COMMAND ${HELIXPLOT_ON_XVFB} $<TARGET_FILE:ui_desktopFeaturesTest> -platform xcb
        aFolderDroppedOnTheSelectionDialogOpensItsPopulation aDropOnTheMainWindowOpensLoadNewGenomeWithTheFiles
        aLargerDesktopFontScalesTheDesign)
    set_tests_properties(ui.desktopFeaturesTest.xvfb PROPERTIES TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;${HELIXPLOT_LSAN}")
    # The genome editor's drops and the question before the program ends,
    # on a real X server too.
    add_test(NAME ui.genomeEditorTest.xvfb
      COMMAND ${HELIXPLOT_ON_XVFB} $<TARGET_FILE:ui_genomeEditorTest> -platform xcb
        aDroppedGenomeOpensItsOwnEditor endingTheProgramAsksAboutUnsavedChanges)
    set_tests_properties(ui.genomeEditorTest.xvfb PROPERTIES TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;${HELIXPLOT_LSAN}")
    # What a screen reader hears needs Qt's accessibility bridge, which only
    # comes up with an accessibility bus (whose libraries the sanitizers
    # would hold to account for their own leaks).
    find_program(DBUS_RUN_SESSION dbus-run-session)
    if(DBUS_RUN_SESSION AND EXISTS /usr/libexec/at-spi-bus-launcher AND NOT HELIXPLOT_SANITIZE)
      add_test(NAME ui.errorsKeysAndZoomTest.atspi
        COMMAND ${CMAKE_SOURCE_DIR}/tests/display/with-atspi.sh $<TARGET_FILE:ui_errorsKeysAndZoomTest> -platform xcb
          screenReadersHearExpansionAndChangedLines everyControlHasAnAccessibleName)
      set_tests_properties(ui.errorsKeysAndZoomTest.atspi PROPERTIES TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=xcb")
      add_test(NAME ui.populationWindowTest.atspi
        COMMAND ${CMAKE_SOURCE_DIR}/tests/display/with-atspi.sh $<TARGET_FILE:ui_populationWindowTest> -platform xcb
          everyControlHasAnAccessibleName pedigreeHighlightsTheFamily)
      set_tests_properties(ui.populationWindowTest.atspi PROPERTIES TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=xcb")
    endif()
  endif()

  # The real program on a real X server (Xvfb, xdotool, xclip), one server
  # per scenario. Not in the sanitizer build: there the X libraries' own
  # leaks would fail every run, and scripts/leakcheck-desktop.sh covers the
  # program under the sanitizers in a real X session.
  find_program(XCLIP xclip)
  # Drops over the X drag-and-drop protocol, as a file manager sends them.
  find_package(X11)
  if(X11_FOUND AND NOT WIN32)
    add_executable(xdnd-drop tests/display/xdndDrop.cpp)
    target_link_libraries(xdnd-drop PRIVATE X11::X11)
    set_target_properties(xdnd-drop PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    set(HELIXPLOT_XDND_DROP "XDND_DROP=$<TARGET_FILE:xdnd-drop>;")
  endif()
  if(XVFB AND XDOTOOL AND XCLIP AND NOT HELIXPLOT_SANITIZE)
    execute_process(COMMAND bash -c "grep -o '^[a-zA-Z]*() {' '${CMAKE_SOURCE_DIR}/tests/display/scenarios.sh' | cut -d'(' -f1"
      OUTPUT_VARIABLE HELIXPLOT_SCENARIOS OUTPUT_STRIP_TRAILING_WHITESPACE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS tests/display/scenarios.sh)
    string(REPLACE "\n" ";" HELIXPLOT_SCENARIOS "${HELIXPLOT_SCENARIOS}")
    # The population scenario breeds its folder with the sample generator.
    if(TARGET make-population)
      set(HELIXPLOT_MAKE_POPULATION "MAKE_POPULATION=$<TARGET_FILE:make-population>;")
    endif()
    foreach(scenario ${HELIXPLOT_SCENARIOS})
      add_test(NAME display.${scenario} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/display/scenarios.sh ${scenario})
      set_tests_properties(display.${scenario} PROPERTIES TIMEOUT 180
        ENVIRONMENT "HELIXPLOT=$<TARGET_FILE:helixplot>;HELIXPLOT_CLI=$<TARGET_FILE:helixplot-cli>;${HELIXPLOT_MAKE_POPULATION}${HELIXPLOT_XDND_DROP}SOURCE_DIR=${CMAKE_SOURCE_DIR}")
      # A window busy beside other tests may refuse a drag for seconds.
      if(scenario MATCHES "^drops")
        set_tests_properties(display.${scenario} PROPERTIES RUN_SERIAL TRUE)
      endif()
    endforeach()
    # Each window as a screen reader reads it over the accessibility bus;
    # fails on any control without a name (pyatspi comes from setup.sh).
    find_program(DBUS_RUN_SESSION dbus-run-session)
    if(DBUS_RUN_SESSION AND EXISTS /usr/libexec/at-spi-bus-launcher)
      foreach(window selectionDialog mainWindow populationWindow genomeEditor)
        add_test(NAME display.atspi.${window}
          COMMAND ${CMAKE_SOURCE_DIR}/tests/display/with-atspi.sh bash ${CMAKE_SOURCE_DIR}/tests/display/accessibility.sh ${window})
        set_tests_properties(display.atspi.${window} PROPERTIES TIMEOUT 120
          ENVIRONMENT "HELIXPLOT=$<TARGET_FILE:helixplot>;HELIXPLOT_CLI=$<TARGET_FILE:helixplot-cli>;${HELIXPLOT_MAKE_POPULATION}SOURCE_DIR=${CMAKE_SOURCE_DIR}")
      endforeach()
    endif()
  elseif(NOT HELIXPLOT_SANITIZE)
    message(WARNING "Xvfb, xdotool or xclip missing: the real-display tests are left out (scripts/setup.sh installs them)")
  endif()
endif()
