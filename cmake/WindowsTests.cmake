# What of tests/ the Windows build leaves out, each with the reason. Everything else builds and
# runs on Windows (under Wine in `make test-windows`).
set(t ${CMAKE_SOURCE_DIR}/tests)
set(KESTREL_TESTS_LEFT_OUT
  # RunAsUnprivileged forks and drops to the user nobody (fork, setresuid).
  ${t}/platform/UnprivilegedTest.cpp
)
unset(t)

# The test programs that build for Windows so far; `make test-windows` builds and runs these.
set(KESTREL_WINDOWS_TESTS platform_tests modules_tests setup_tests report_tests)
