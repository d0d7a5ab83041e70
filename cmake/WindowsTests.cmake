# What of tests/ the Windows build leaves out, each with the reason. Everything else builds and
# runs on Windows (under Wine in `make test-windows`).
set(t ${CMAKE_SOURCE_DIR}/tests)
set(KESTREL_TESTS_LEFT_OUT
  # RunAsUnprivileged forks and drops to the user nobody (fork, setresuid).
  ${t}/platform/UnprivilegedTest.cpp
  # The POSIX mount table's options (ext4's data modes); Windows has no mount table.
  ${t}/platform/MountTableTest.cpp
  # Swap a folder of the tree for a symbolic link at the worst moment (renameat2 with
  # RENAME_EXCHANGE): Windows has no atomic exchange of two names, and Wine makes no links.
  ${t}/engine/BackupRaceTest.cpp
  ${t}/engine/DeletionRaceTest.cpp
  ${t}/engine/ReportFileRaceTest.cpp
  # FIFOs, sockets and devices in the source: Windows folders hold none of them.
  ${t}/engine/PassedOverTest.cpp
)
unset(t)

# The test programs built and run on Windows, by `make test-windows` under Wine: all but the
# window tests, which need a Windows Qt.
set(KESTREL_WINDOWS_TESTS platform_tests modules_tests setup_tests report_tests engine_tests cli_tests)
