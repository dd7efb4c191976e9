# Read by CTest after the test list is discovered. These tests move the one
# pointer of the X display and read its screen back, so they must not run
# beside one another (ctest -j) on a shared display.
if(skin_controls_tests_TESTS)
  set_tests_properties(${skin_controls_tests_TESTS} PROPERTIES
    RESOURCE_LOCK x_display)
endif()
