# The desktop program: the three windows over the core, and their tests.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
qt_standard_project_setup()

file(GLOB HELIXPLOT_UI_SOURCES CONFIGURE_DEPENDS src/ui/*.cpp src/ui/*.h)
add_library(helixplot_ui STATIC ${HELIXPLOT_UI_SOURCES})
target_include_directories(helixplot_ui PUBLIC src)
target_link_libraries(helixplot_ui PUBLIC helixplot_core Qt6::Widgets)
target_compile_definitions(helixplot_ui PRIVATE QT_NO_CAST_FROM_ASCII)
target_compile_definitions(helixplot_ui PUBLIC QT_NO_KEYWORDS)

qt_add_executable(helixplot WIN32 src/app/main.cpp)
target_link_libraries(helixplot PRIVATE helixplot_ui)

# Renders the windows on the bundled samples into docs/screenshots.
qt_add_executable(helixplot-screenshots tools/screenshots.cpp)
target_link_libraries(helixplot-screenshots PRIVATE helixplot_ui)
target_compile_definitions(helixplot-screenshots PRIVATE HELIXPLOT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

if(HELIXPLOT_TESTS)
  file(GLOB HELIXPLOT_UI_TEST_SOURCES CONFIGURE_DEPENDS tests/ui/*.cpp)
  foreach(source ${HELIXPLOT_UI_TEST_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    qt_add_executable(ui_${name} ${source})
    target_link_libraries(ui_${name} PRIVATE helixplot_ui helixplot_testsupport Qt6::Test)
    target_compile_definitions(ui_${name} PRIVATE HELIXPLOT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(TARGET helixplot-cli)
      add_dependencies(ui_${name} helixplot-cli)
      target_compile_definitions(ui_${name} PRIVATE HELIXPLOT_CLI="$<TARGET_FILE:helixplot-cli>")
    endif()
    add_test(NAME ui.${name} COMMAND ui_${name})
    set_tests_properties(ui.${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endforeach()

  # How the progress dialog paces its painting depends on the window system:
  # tested on a real X server too.
  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME ui.progressPacingTest.xvfb COMMAND ${XVFB_RUN} -a $<TARGET_FILE:ui_progressPacingTest>)
    set_tests_properties(ui.progressPacingTest.xvfb PROPERTIES TIMEOUT 120)
  endif()
endif()
