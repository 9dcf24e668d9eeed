# Registers a GoogleTest executable whose tests talk over D-Bus: CTest runs
# each test inside a session bus of its own (dbus-run-session), on the
# offscreen platform, so tests may own the suite's bus names side by side and
# never touch the desktop's bus.
function(qx_discover_bus_tests target)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "dbus-run-session;--")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30
    PROPERTIES TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${ARGN})
endfunction()
