"""velk's scenarios as the test runners and the CI tools use them.

  regedit4   reads the REGEDIT4 files velk saves
  scenario   a scenario directory's files, and one velk run of it
  checks     the checks of a scenario's expect file
  table      association tables of any size (for the tmux tests and the benchmark)

velk/tests/run_scenario.py documents the scenario directory and the checks.
The runners in velk/tests import the package as it stands beside them; the
CI tools in tools/ci put velk/tests on their import path first.
"""
